<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja_JP" sourcelanguage="zh_CN">
<context>
    <name>mainWindow</name>
    <message>
        <source>串流助手</source>
        <translation>ストリーミングアシスタント</translation>
    </message>
</context>
<context>
    <name>SingleAppTip</name>
    <message>
        <source>提示</source>
        <translation>お知らせ</translation>
    </message>
    <message>
        <source>应用程序已打开</source>
        <translation>アプリケーションは既に開いています</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
