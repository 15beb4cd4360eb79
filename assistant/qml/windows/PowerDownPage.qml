import QtQuick 2.15
import NerevManager 1.0
import "../common"

// The laptop runs on battery; stays until the controller reports mains power.
DialogWindow {
    id: powerDownPage

    designWidth: 420
    designHeight: 336
    hasTitleBar: false
    frameColor: Theme.pill
    contentHeight: column.y + column.height

    Connections {
        target: nerev
        function onClosePowerTip() {
            powerDownPage.close()
        }
    }

    Column {
        id: column
        y: 32
        x: 30
        width: parent.width - 60
        spacing: 18

        Text {
            width: parent.width
            text: qsTr("操作提示")
            color: Theme.noticeTitle
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            font.pixelSize: 36
        }
        Image {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 70
            height: 70
            source: "qrc:/res/image/nerev_actips.png"
        }
        Text {
            width: parent.width
            text: qsTr("请将笔记本接入电源，以免断电影响串流体验")
            color: Theme.noticeText
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            font.pixelSize: 18
        }
        Row {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 6

            Image {
                y: (hint.height > 24 ? 4 : (hint.height - height) / 2)
                width: 14
                height: 14
                source: "qrc:/res/image/warning.png"
            }
            Text {
                id: hint
                width: Math.min(implicitWidth, column.width - 20)
                text: qsTr("插入电源后提示才会消失哦")
                color: Theme.noticeHint
                wrapMode: Text.Wrap
                font.pixelSize: 16
            }
        }
    }
}
