<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>import_data</name>
    <message>
        <source>Form</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>print bmp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>save bmp</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>print table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>save_table</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAX</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MIN</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AVG</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>channel 1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>channel 2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>channel 3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>channel 4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>TEMP</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Light</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DB</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>pressure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>value</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ALL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Images (*.xlsx)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Images (*.bmp)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>warning</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The table could not be saved:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture could not be saved:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
