<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Setting</name>
    <message>
        <source>Dialog</source>
        <translation>对话窗</translation>
    </message>
    <message>
        <source>COM:</source>
        <translation>端口:</translation>
    </message>
    <message>
        <source>link</source>
        <translation>连接</translation>
    </message>
    <message>
        <source>linking</source>
        <translation>连接中</translation>
    </message>
    <message>
        <source>linked</source>
        <translation>已连接</translation>
    </message>
    <message>
        <source>connected</source>
        <translation>已连接</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>serial  close</source>
        <translation>串口关闭</translation>
    </message>
    <message>
        <source>error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>serial error</source>
        <translation>串口错误</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>serial not existence or used by other</source>
        <translation>串口不存在或正在使用中</translation>
    </message>
    <message>
        <source>success</source>
        <translation>成功</translation>
    </message>
    <message>
        <source>serial open sucess</source>
        <translation>打开成功</translation>
    </message>
</context>
<context>
    <name>usart_interface</name>
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
