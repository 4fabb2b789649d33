<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>KQ263_INTERFACE</name>
    <message>
        <source>MainWindow</source>
        <translation>主界面</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Data clear</source>
        <translation>数据清除</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>打印</translation>
    </message>
    <message>
        <source>USART_DEBUG</source>
        <translation>串口调试</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Menu</source>
        <translation>菜单</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>语言</translation>
    </message>
    <message>
        <source>help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>日期</translation>
    </message>
    <message>
        <source>light value</source>
        <translation>照度值</translation>
    </message>
    <message>
        <source>unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <source>num</source>
        <translation>序号</translation>
    </message>
    <message>
        <source>light level</source>
        <translation>照度</translation>
    </message>
    <message>
        <source>upper limit exceeded</source>
        <translation>超上限</translation>
    </message>
    <message>
        <source>Lower limit exceeded</source>
        <translation>超下限</translation>
    </message>
    <message>
        <source>set</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>lux</source>
        <translation>lux</translation>
    </message>
    <message>
        <source>fc</source>
        <translation>fc</translation>
    </message>
    <message>
        <source>1min</source>
        <translation>1分钟</translation>
    </message>
    <message>
        <source>30min</source>
        <translation>30分钟</translation>
    </message>
    <message>
        <source>1hour</source>
        <translation>1小时</translation>
    </message>
    <message>
        <source>12hour</source>
        <translation>12小时</translation>
    </message>
    <message>
        <source>24hour</source>
        <translation>24小时</translation>
    </message>
    <message>
        <source>ALL</source>
        <translation>全部</translation>
    </message>
    <message>
        <source>MAX：</source>
        <translation>最大值：</translation>
    </message>
    <message>
        <source>MIN：</source>
        <translation>最小值：</translation>
    </message>
    <message>
        <source>AVG：</source>
        <translation>平均值：</translation>
    </message>
    <message>
        <source>info</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>in used</source>
        <translation>被占用</translation>
    </message>
    <message>
        <source>Need to restart the software after changing the language!</source>
        <translation>切换语言后需要重启软件！</translation>
    </message>
    <message>
        <source>Accepting</source>
        <translation>正在接收</translation>
    </message>
    <message>
        <source>not receive date!</source>
        <translation>未收到数据！</translation>
    </message>
    <message>
        <source>choose file</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <source>Images (*.xlsx)</source>
        <translation>表格 (*.xlsx)</translation>
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
        <source>Images (*.bmp)</source>
        <translation>图片 (*.bmp)</translation>
    </message>
    <message>
        <source>The picture could not be saved:</source>
        <translation>图片无法保存：</translation>
    </message>
    <message>
        <source>bmp not exist</source>
        <translation>图片不存在</translation>
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
        <source>show path</source>
        <translation>未选择路径</translation>
    </message>
</context>
<context>
    <name>USART_DEBUG</name>
    <message>
        <source>MainWindow</source>
        <translation>串口调试</translation>
    </message>
    <message>
        <source>Serial_Port</source>
        <translation>串口</translation>
    </message>
    <message>
        <source>BaudRate</source>
        <translation>波特率</translation>
    </message>
    <message>
        <source>DataBits</source>
        <translation>数据位</translation>
    </message>
    <message>
        <source>StopBits</source>
        <translation>停止位</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>校验位</translation>
    </message>
    <message>
        <source>FlowControl</source>
        <translation>流控制</translation>
    </message>
    <message>
        <source>open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>close</source>
        <translation>关闭</translation>
    </message>
</context>
</TS>
