import QtQuick 2.15
import NerevManager 1.0
import "../common"

// Several headsets are in reach: the user picks the one to stream to.
DialogWindow {
    id: moreSettingPage

    // The headset being connected. The controller refills the list on every
    // refresh, which rebuilds its rows, also the one whose indicator turns:
    // the dialog keeps the choice and closes after one run of the indicator
    // itself, so a refill during the run cannot leave it open.
    property string connectingName: ""

    function pictureFor(name) {
        var text = name || ""
        if (text.indexOf("KX") === 0)
            return "qrc:/res/image/NEREVKX.png"
        if (text.indexOf("KY") === 0)
            return "qrc:/res/image/NEREVKY.png"
        return "qrc:/res/image/NEREVKZ.png"
    }

    title: qsTr("请选择需要串流的VR眼镜")
    designWidth: 620
    designHeight: 566
    contentHeight: hint.y + hint.height + 40 + list.height

    Row {
        id: hint
        x: 30
        y: 8
        spacing: 8

        Image {
            y: 2
            width: 20
            height: 20
            source: "qrc:/res/image/nerev_warning_big.png"
        }
        Text {
            width: 560 - 28
            text: qsTr("在VR端串流助手的界面上，即可看到VR眼镜的ID")
            color: Theme.secondaryText
            wrapMode: Text.Wrap
            font.pixelSize: 16
        }
    }

    Timer {
        id: closeTimer
        interval: 2000      // one run of the row's busy indicator
        onTriggered: moreSettingPage.close()
    }

    ListView {
        id: list
        objectName: "headsetList"
        x: 30
        anchors.top: hint.bottom
        anchors.topMargin: 40
        width: 560
        height: 336
        spacing: 24
        clip: true
        model: nerev.vrLists
        delegate: Rectangle {
            id: row
            objectName: "headsetRow_" + index
            readonly property bool connecting: moreSettingPage.connectingName !== "" && moreSettingPage.connectingName === vrName
            readonly property string picture: moreSettingPage.pictureFor(vrName)
            width: 560
            height: Math.max(120, texts.height + 24)
            radius: 8
            color: Theme.row

            function choose() {
                if (vrState || moreSettingPage.connectingName !== "")
                    return
                moreSettingPage.connectingName = vrName
                closeTimer.start()
                host.showToast(qsTr("连接设备中，请稍后"))
                nerev.connectVR(vrName, ip)
            }

            Image {
                objectName: "headsetPicture"
                x: 20
                anchors.verticalCenter: parent.verticalCenter
                width: 100
                height: 60
                source: row.picture
            }
            Column {
                id: texts
                x: 140
                anchors.verticalCenter: parent.verticalCenter
                width: connectButton.x - x - 16
                spacing: 4

                Text {
                    text: PageRules.shortVrId(vrName)
                    color: Theme.text
                    font.pixelSize: 24
                    font.bold: true
                }
                Text {
                    width: parent.width
                    text: qsTr("上次使用")
                    color: Theme.dimText
                    wrapMode: Text.Wrap
                    font.pixelSize: 16
                    font.bold: true
                    visible: isRecent
                }
            }
            MouseArea {
                anchors.fill: parent
                cursorShape: vrState ? Qt.ArrowCursor : Qt.PointingHandCursor
                onClicked: row.choose()
            }
            NerevButton {
                id: connectButton
                objectName: "connectButton"
                x: row.width - 20 - width
                anchors.verticalCenter: parent.verticalCenter
                minimumWidth: 100
                minimumHeight: 40
                pixelSize: 18
                text: qsTr("连接")
                visible: !row.connecting
                onClicked: row.choose()
            }
            QmlBusyIndicator {
                anchors.centerIn: connectButton
                width: 40
                height: 40
                looptime: 1
                visible: row.connecting
                running: row.connecting
            }
        }
    }
}
