<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>KQ186_INTERFACE</name>
    <message>
        <source>MainWindow</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Start</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pause</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Upload</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Sync</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Data clear</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Printing</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>File</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Menu</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Language</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>help</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Date</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pressure</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>unit</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>upper limit exceeded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Lower limit exceeded</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>set</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kPa</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>hPa</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pa</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mbar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bar</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>psi</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>oz/in²</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>kg/cm²</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>inH2O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>inHg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ftH2O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mmHg</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>mmH2O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>cmH2O</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>30min</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>1hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>12hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>24hour</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ALL</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MAX：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MIN：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>AVG：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Pressure:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>in used</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Need to restart the software after changing the language!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Accepting</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>not receive date!</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>choose file</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Images (*.xlsx)</source>
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
        <source>Images (*.bmp)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>The picture could not be saved:</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>bmp not exist</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>info</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
