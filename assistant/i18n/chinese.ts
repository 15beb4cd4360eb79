<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>mainWindow</name>
    <message>
        <source>串流助手</source>
        <translation>Streaming Assistant</translation>
    </message>
</context>
<context>
    <name>SingleAppTip</name>
    <message>
        <source>提示</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>应用程序已打开</source>
        <translation>The program is already open</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
