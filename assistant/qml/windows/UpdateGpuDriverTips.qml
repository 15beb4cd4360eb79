import QtQuick 2.15
import NerevManager 1.0
import "../common"

// The NVIDIA display driver is too old to stream.
DialogWindow {
    title: qsTr("提示")
    titleFontFamily: Theme.fontFamily
    designWidth: 360
    designHeight: 244
    contentHeight: message.y + message.height

    Text {
        id: message
        x: 30
        y: 40
        width: parent.width - 60
        text: qsTr("显卡驱动版本过低无法串流，请先更新驱动版本再进行串流")
        color: Theme.text
        wrapMode: Text.Wrap
        font.pixelSize: 20
    }
}
