<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>KQ285_INTERFACE</name>
    <message>
        <source>Main</source>
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
        <source>Data Transfer</source>
        <translation>数据传输</translation>
    </message>
    <message>
        <source>Sync Time</source>
        <translation>同步时间</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>导出</translation>
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
        <source>Decibels</source>
        <translation>分贝</translation>
    </message>
    <message>
        <source>Frequency weighting</source>
        <translation>频率计权</translation>
    </message>
    <message>
        <source>Max. Limit</source>
        <translation>超上限</translation>
    </message>
    <message>
        <source>Min. Limit</source>
        <translation>超下限</translation>
    </message>
    <message>
        <source>DB value</source>
        <translation>分贝值</translation>
    </message>
    <message>
        <source>weight unit</source>
        <translation>计权单位</translation>
    </message>
    <message>
        <source>set</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>DBA</source>
        <translation>DBA</translation>
    </message>
    <message>
        <source>DBC</source>
        <translation>DBC</translation>
    </message>
    <message>
        <source>DBZ</source>
        <translation>DBZ</translation>
    </message>
    <message>
        <source>℃/℉</source>
        <translation>℃/℉</translation>
    </message>
    <message>
        <source>℃</source>
        <translation>℃</translation>
    </message>
    <message>
        <source>℉</source>
        <translation>℉</translation>
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
        <source>Maximum：</source>
        <translation>最大值：</translation>
    </message>
    <message>
        <source>Minimum：</source>
        <translation>最小值：</translation>
    </message>
    <message>
        <source>Average：</source>
        <translation>平均值：</translation>
    </message>
    <message>
        <source>DB</source>
        <translation>分贝</translation>
    </message>
    <message>
        <source>Decibels:</source>
        <translation>分贝:</translation>
    </message>
    <message>
        <source>db</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>Temp:</source>
        <translation>温度:</translation>
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
        <source>Note</source>
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
<context>
    <name>KQ291_INTERFACE</name>
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
        <translation>同步</translation>
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
        <source>DB value</source>
        <translation>分贝值</translation>
    </message>
    <message>
        <source>weight unit</source>
        <translation>计权单位</translation>
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
        <source>DBA</source>
        <translation>DBA</translation>
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
        <source>DB</source>
        <translation>分贝</translation>
    </message>
    <message>
        <source>DB:</source>
        <translation>分贝:</translation>
    </message>
    <message>
        <source>db</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>info</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>save success!</source>
        <translation>保存成功！</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The clock could not be sent to the instrument!</source>
        <translation>时钟未能发送到仪器！</translation>
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
        <source>no file choosed</source>
        <translation>未选择文件</translation>
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
