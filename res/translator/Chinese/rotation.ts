<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>KQ174_INTERFACE</name>
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
        <source>Upload</source>
        <translation>上传</translation>
    </message>
    <message>
        <source>Sync</source>
        <translation>同步时间</translation>
    </message>
    <message>
        <source>Data clear</source>
        <translation>清除数据</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>打印</translation>
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
        <source>Value</source>
        <translation>数值</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <source>num</source>
        <translation>时间</translation>
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
        <source>m</source>
        <translation>米</translation>
    </message>
    <message>
        <source>m/min</source>
        <translation>米/分</translation>
    </message>
    <message>
        <source>ft/min</source>
        <translation>英尺/分</translation>
    </message>
    <message>
        <source>contact RPM</source>
        <translation>接触式转速</translation>
    </message>
    <message>
        <source>photo RPM</source>
        <translation>光电式转速</translation>
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
        <source>speed</source>
        <translation>转速</translation>
    </message>
    <message>
        <source>speed:</source>
        <translation>转速:</translation>
    </message>
    <message>
        <source>temp:</source>
        <translation>温度:</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>m:</source>
        <translation>长度:</translation>
    </message>
    <message>
        <source>Speed:</source>
        <translation>速度:</translation>
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
        <source>info</source>
        <translation>提示</translation>
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
</TS>
