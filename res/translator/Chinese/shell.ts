<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>MainWindow</name>
    <message>
        <source>Set up</source>
        <translation>设置</translation>
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
        <source>connected</source>
        <translation>已连接</translation>
    </message>
    <message>
        <source>not connected</source>
        <translation>未连接</translation>
    </message>
    <message>
        <source>cannot connect</source>
        <translation>无法连接</translation>
    </message>
    <message>
        <source>Need to restart the software after changing the language!</source>
        <translation>更改语言后需要重启软件!</translation>
    </message>
    <message>
        <source>Main</source>
        <translation>主界面</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>sorry</source>
        <translation>抱歉</translation>
    </message>
</context>
<context>
    <name>settings_step</name>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The settings could not be saved:</source>
        <translation>设置无法保存：</translation>
    </message>
</context>
<context>
    <name>UPDATE_CHECK</name>
    <message>
        <source>update info</source>
        <translation>更新信息</translation>
    </message>
    <message>
        <source>New Version Avalible</source>
        <translation>有新版本可用</translation>
    </message>
    <message>
        <source>There is a newer version avalible for download !
 Please update the app.</source>
        <translation>有更新的版本可供下载！
 请更新软件。</translation>
    </message>
</context>
<context>
    <name>help</name>
    <message>
        <source>Dialog</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>help</source>
        <translation>帮助</translation>
    </message>
    <message>
        <source>about</source>
        <translation>关于</translation>
    </message>
</context>
</TS>
