<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Menu_dialog</name>
    <message>
        <source>Alarm</source>
        <translation>报警功能：</translation>
    </message>
    <message>
        <source>CH1</source>
        <translation>通道一</translation>
    </message>
    <message>
        <source>CH2</source>
        <translation>通道二</translation>
    </message>
    <message>
        <source>CH3</source>
        <translation>通道三</translation>
    </message>
    <message>
        <source>CH4</source>
        <translation>通道四</translation>
    </message>
    <message>
        <source>Temperature</source>
        <translation>温度</translation>
    </message>
    <message>
        <source>Humidity</source>
        <translation>湿度</translation>
    </message>
    <message>
        <source>Lux</source>
        <translation>光照值</translation>
    </message>
    <message>
        <source>Sound</source>
        <translation>分贝</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>速度</translation>
    </message>
    <message>
        <source>Pressure</source>
        <translation>压力:</translation>
    </message>
    <message>
        <source>up：</source>
        <translation>上限:</translation>
    </message>
    <message>
        <source>down：</source>
        <translation>下限:</translation>
    </message>
    <message>
        <source>upper：</source>
        <translation>上限：</translation>
    </message>
    <message>
        <source>lower：</source>
        <translation>下限：</translation>
    </message>
    <message>
        <source>Upload interval：</source>
        <translation>上传间隔：</translation>
    </message>
    <message>
        <source>select export path</source>
        <translation>默认导出目录:</translation>
    </message>
    <message>
        <source>no set</source>
        <translation>未设置</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>No directory chosen</source>
        <translation>没有选择目录</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>Upper limit：</source>
        <translation>上限：</translation>
    </message>
    <message>
        <source>Lower limit：</source>
        <translation>下限：</translation>
    </message>
    <message>
        <source>Please input a valid number</source>
        <translation>请输入有效数字</translation>
    </message>
    <message>
        <source>customize</source>
        <translation>自定义</translation>
    </message>
    <message>
        <source>customize(S)</source>
        <translation>自定义(秒)</translation>
    </message>
    <message>
        <source>contact RPM:</source>
        <translation>接触式转速:</translation>
    </message>
    <message>
        <source>photo RPM:</source>
        <translation>光电式转速:</translation>
    </message>
    <message>
        <source>unit:Pa</source>
        <translation>单位:Pa</translation>
    </message>
</context>
<context>
    <name>File_oprate</name>
    <message>
        <source>Option</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>Save as image</source>
        <translation>保存为图片</translation>
    </message>
    <message>
        <source>Export as Table (XLXS)</source>
        <translation>导出为表格 (XLSX)</translation>
    </message>
    <message>
        <source>Import Data</source>
        <translation>导入数据</translation>
    </message>
    <message>
        <source>Images (*.xlsx)</source>
        <translation>表格 (*.xlsx)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>no choose file</source>
        <translation>没有选择文件</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>文件</translation>
    </message>
</context>
<context>
    <name>print_set</name>
    <message>
        <source>Export optionss</source>
        <translation>打印选项</translation>
    </message>
    <message>
        <source>Export pictures</source>
        <translation>打印图片</translation>
    </message>
    <message>
        <source>Export table</source>
        <translation>打印表格</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>打印</translation>
    </message>
</context>
<context>
    <name>CLEAN_DATA</name>
    <message>
        <source>Delete Data</source>
        <translation>删除数据</translation>
    </message>
    <message>
        <source>Are you sure?</source>
        <translation>确定删除吗？</translation>
    </message>
    <message>
        <source>Clean device data?</source>
        <translation>同时清除仪器数据？</translation>
    </message>
</context>
<context>
    <name>SAVE_DATA_INDEX</name>
    <message>
        <source>Accepting</source>
        <translation>正在接收</translation>
    </message>
    <message>
        <source>not chosse date!</source>
        <translation>没有选择日期！</translation>
    </message>
    <message>
        <source>not receive date!</source>
        <translation>没有接收到数据！</translation>
    </message>
    <message>
        <source>Dialog</source>
        <translation>选择记录</translation>
    </message>
</context>
</TS>
