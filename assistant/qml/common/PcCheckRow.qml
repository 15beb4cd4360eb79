import QtQuick 2.15
import NerevManager 1.0

// One check of "Check my PC": its state icon (a busy ring while it runs), title
// and state, the sentence on what it means, what its fix did, and its fix button.
Rectangle {
    id: row

    property string title
    property int checkState: -1             // a PcCheck state; below 0: no result yet
    property string sentence
    property string fixLabel
    property bool busy: false
    property string fixMessage              // what the last fix did, or why it failed
    property bool fixFailed: false

    // By state, in PcCheck's order: passed, warning, failed, could not check.
    readonly property var stateIcons: ["qrc:/res/image/nerev_suc.png", "qrc:/res/image/nerev_warning_big.png",
                                       "qrc:/res/image/fail.png", "qrc:/res/image/warning.png"]
    readonly property var stateColors: [Theme.success, Theme.warning, Theme.error, Theme.secondaryText]
    readonly property var stateNames: [qsTr("通过"), qsTr("警告"), qsTr("未通过"), qsTr("无法检查")]
    readonly property bool hasResult: checkState >= PcCheck.Passed && checkState <= PcCheck.CouldNotCheck

    signal fixClicked()

    width: 1040
    height: Math.max(72, titleColumn.height + 24, textColumn.height + 24, fixButton.visible ? fixButton.height + 24 : 0)
    radius: Theme.radiusControl
    color: Theme.row

    Item {
        id: iconSlot
        x: 20
        anchors.verticalCenter: parent.verticalCenter
        width: 32
        height: 32

        QmlBusyIndicator {
            objectName: "checkBusy"
            anchors.fill: parent
            looptime: 0
            running: row.busy
            visible: row.busy
        }
        Image {
            objectName: "checkStateIcon"
            anchors.fill: parent
            source: row.hasResult ? row.stateIcons[row.checkState] : ""
            visible: !row.busy && row.hasResult
        }
    }
    Column {
        id: titleColumn
        x: 68
        anchors.verticalCenter: parent.verticalCenter
        width: 240
        spacing: 2

        Text {
            objectName: "checkTitle"
            width: parent.width
            text: row.title
            color: Theme.text
            wrapMode: Text.Wrap
            font.pixelSize: Theme.textLarge
            font.bold: true
        }
        Text {
            objectName: "checkStateText"
            width: parent.width
            text: row.busy ? qsTr("检查中") : row.hasResult ? row.stateNames[row.checkState] : qsTr("未检查")
            color: !row.busy && row.hasResult ? row.stateColors[row.checkState] : Theme.secondaryText
            wrapMode: Text.Wrap
            font.pixelSize: Theme.textNote
        }
    }
    Column {
        id: textColumn
        x: titleColumn.x + titleColumn.width + 20
        anchors.verticalCenter: parent.verticalCenter
        width: (fixButton.visible ? fixButton.x - 20 : row.width - 20) - x
        spacing: 4

        Text {
            objectName: "checkSentence"
            width: parent.width
            text: row.sentence
            color: Theme.secondaryText
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            font.pixelSize: Theme.textBody
        }
        Text {
            objectName: "checkFixMessage"
            width: parent.width
            visible: text !== ""
            text: row.fixMessage
            color: row.fixFailed ? Theme.error : Theme.text
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            font.pixelSize: Theme.textNote
        }
    }
    TextMetrics {
        id: fixLabelSize
        text: row.fixLabel
        font.pixelSize: Theme.textNote
    }
    // Grows with its label up to a third of the row; a longer label wraps.
    NerevButton {
        id: fixButton
        objectName: "fixButton"
        x: row.width - 20 - width
        width: Math.min(300, Math.max(minimumWidth, fixLabelSize.advanceWidth + 32))
        anchors.verticalCenter: parent.verticalCenter
        visible: row.fixLabel !== "" && !row.busy
        minimumWidth: 120
        minimumHeight: 40
        pixelSize: Theme.textNote
        text: row.fixLabel
        onClicked: row.fixClicked()
    }
}
