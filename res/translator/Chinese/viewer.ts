<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>import_data</name>
    <message>
        <source>Form</source>
        <translation>数据导入</translation>
    </message>
    <message>
        <source>set</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>print bmp</source>
        <translation>打印图片</translation>
    </message>
    <message>
        <source>save bmp</source>
        <translation>保存图片</translation>
    </message>
    <message>
        <source>print table</source>
        <translation>打印表格</translation>
    </message>
    <message>
        <source>save_table</source>
        <translation>保存表格</translation>
    </message>
    <message>
        <source>MAX</source>
        <translation>最大值</translation>
    </message>
    <message>
        <source>MIN</source>
        <translation>最小值</translation>
    </message>
    <message>
        <source>AVG</source>
        <translation>平均值</translation>
    </message>
    <message>
        <source>channel 1</source>
        <translation>通道一</translation>
    </message>
    <message>
        <source>channel 2</source>
        <translation>通道二</translation>
    </message>
    <message>
        <source>channel 3</source>
        <translation>通道三</translation>
    </message>
    <message>
        <source>channel 4</source>
        <translation>通道四</translation>
    </message>
    <message>
        <source>TEMP</source>
        <translation>温度</translation>
    </message>
    <message>
        <source>Light</source>
        <translation>照度</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>风速</translation>
    </message>
    <message>
        <source>DB</source>
        <translation>分贝</translation>
    </message>
    <message>
        <source>pressure</source>
        <translation>压力</translation>
    </message>
    <message>
        <source>value</source>
        <translation>数值</translation>
    </message>
    <message>
        <source>ALL</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>Images (*.xlsx)</source>
        <translation>表格 (*.xlsx)</translation>
    </message>
    <message>
        <source>Images (*.bmp)</source>
        <translation>图片 (*.bmp)</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The table could not be saved:</source>
        <translation>表格无法保存：</translation>
    </message>
    <message>
        <source>The picture could not be saved:</source>
        <translation>图片无法保存：</translation>
    </message>
    <message>
        <source>Print Preview</source>
        <translation>打印预览</translation>
    </message>
    <message>
        <source>no choose path</source>
        <translation>未选择路径</translation>
    </message>
    <message>
        <source>bmp not exist</source>
        <translation>图片不存在</translation>
    </message>
    <message>
        <source>Units must be the same</source>
        <translation>单位必须相同</translation>
    </message>
</context>
</TS>
