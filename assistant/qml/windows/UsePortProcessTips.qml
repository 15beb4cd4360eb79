import QtQuick 2.15
import NerevManager 1.0
import "../common"

// Other programs hold the streaming ports.
DialogWindow {
    id: portTips

    property string names

    title: qsTr("提示")
    titleFontFamily: Theme.fontFamily
    designWidth: 440
    designHeight: 300
    contentHeight: message.y + message.height

    Text {
        id: message
        objectName: "portMessage"
        x: 30
        y: 40
        width: parent.width - 60
        text: qsTr("端口“") + portTips.names + qsTr("”已被占用，请先关闭这些程序再进行串流")
        color: Theme.text
        wrapMode: Text.WrapAtWordBoundaryOrAnywhere
        font.pixelSize: 20
    }
}
