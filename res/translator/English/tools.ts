<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>Menu_dialog</name>
    <message>
        <source>Alarm</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CH1</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CH2</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CH3</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>CH4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Humidity</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lux</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sound</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Speed</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pressure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>up：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>down：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>upper：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>lower：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload interval：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>select export path</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>No directory chosen</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>File_oprate</name>
    <message>
        <source>Option</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Save as image</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export as Table (XLXS)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Import Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Images (*.xlsx)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Error</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>no choose file</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>print_set</name>
    <message>
        <source>Export optionss</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export pictures</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Export table</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>CLEAN_DATA</name>
    <message>
        <source>Delete Data</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Clean device data?</source>
        <translation type="unfinished"></translation>
    </message>
</context>
<context>
    <name>SAVE_DATA_INDEX</name>
    <message>
        <source>Accepting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not chosse date!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not receive date!</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
