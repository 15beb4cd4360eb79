import QtQuick 2.15
import NerevManager 1.0
import "../common"

// "Check my PC": every check of the checker as a row that fills in as its
// result arrives, with its fix; "Check again" and "Save a report for support".
// The checker decides; the page shows its rows and forwards the user's actions.
DialogWindow {
    id: pcCheckPage

    // The checker: its rows, checking, checkAll(), fixConfirmation(), applyFix(),
    // saveSupportReport() and the signals fixFinished, reportSaved, reportFailed.
    property var checker: null
    // What each row's last fix did: row id -> {"text", "failed"}.
    property var fixMessages: ({})
    // The fix waiting for the user's confirmation, and its question.
    property string pendingFix: ""
    property string pendingQuestion: ""
    property bool savingReport: false
    property string reportMessage: ""
    property bool reportFailed: false

    function requestFix(id) {
        var question = checker.fixConfirmation(id)
        if (question !== "") {
            pendingQuestion = question
            pendingFix = id
            return
        }
        checker.applyFix(id, false)
    }
    function confirmFix() {
        var id = pendingFix
        pendingFix = ""
        checker.applyFix(id, true)
    }
    function checkAgain() {
        fixMessages = ({})
        checker.checkAll()
    }
    function saveReport() {
        savingReport = true
        reportFailed = false
        reportMessage = qsTr("正在保存报告……")
        checker.saveSupportReport()
    }
    function setFixMessage(id, text, failed) {
        var messages = Object.assign({}, fixMessages)
        messages[id] = { text: text, failed: failed }
        fixMessages = messages
    }

    title: qsTr("检查我的电脑")
    designWidth: 1100
    contentHeight: footer.y + footer.height

    Connections {
        target: pcCheckPage.checker
        ignoreUnknownSignals: true
        function onFixFinished(id, ok, message) {
            pcCheckPage.setFixMessage(id, message, !ok)
        }
        function onReportSaved(path) {
            pcCheckPage.savingReport = false
            pcCheckPage.reportFailed = false
            pcCheckPage.reportMessage = qsTr("报告已保存到 %1").arg(path)
        }
        function onReportFailed(reason) {
            pcCheckPage.savingReport = false
            pcCheckPage.reportFailed = true
            pcCheckPage.reportMessage = qsTr("报告没有保存：%1").arg(reason)
        }
    }

    ListView {
        id: rowList
        objectName: "checkList"
        x: 30
        y: 8
        width: 1040
        height: 580
        clip: true
        spacing: 8
        boundsBehavior: Flickable.StopAtBounds
        model: pcCheckPage.checker ? pcCheckPage.checker.rows : null
        visible: pcCheckPage.pendingFix === ""

        delegate: PcCheckRow {
            objectName: "check_" + model.rowId
            title: model.title
            checkState: model.state
            sentence: model.sentence
            fixLabel: model.fixLabel
            busy: model.busy
            fixMessage: pcCheckPage.fixMessages[model.rowId] ? pcCheckPage.fixMessages[model.rowId].text : ""
            fixFailed: pcCheckPage.fixMessages[model.rowId] ? pcCheckPage.fixMessages[model.rowId].failed : false
            onFixClicked: pcCheckPage.requestFix(model.rowId)
        }
    }

    // Asks before a fix that ends programs; takes the list's place until answered.
    Rectangle {
        id: confirmation
        objectName: "fixConfirmation"
        x: rowList.x
        y: rowList.y
        width: rowList.width
        height: rowList.height
        radius: Theme.radiusSection
        color: Theme.field
        visible: pcCheckPage.pendingFix !== ""

        Column {
            anchors.centerIn: parent
            width: 640
            spacing: 40

            Text {
                objectName: "fixQuestion"
                width: parent.width
                text: pcCheckPage.pendingQuestion
                color: Theme.text
                wrapMode: Text.WrapAtWordBoundaryOrAnywhere
                horizontalAlignment: Text.AlignHCenter
                font.pixelSize: Theme.textLarge
            }
            DialogButtons {
                spacing: 30
                first.objectName: "cancelFixButton"
                first.color: Theme.none
                first.border.width: 1
                first.border.color: Theme.white
                first.text: qsTr("取消")
                second.objectName: "confirmFixButton"
                second.color: Theme.accent
                second.text: qsTr("结束")
                onFirstClicked: pcCheckPage.pendingFix = ""
                onSecondClicked: pcCheckPage.confirmFix()
            }
        }
    }

    Item {
        id: footer
        x: 30
        y: rowList.y + rowList.height + 24
        width: 1040
        height: Math.max(buttons.height, reportText.height)

        Row {
            id: buttons
            spacing: 16

            NerevButton {
                objectName: "checkAgainButton"
                minimumWidth: 180
                minimumHeight: 48
                pixelSize: Theme.textBody
                color: Theme.accent
                text: qsTr("重新检查")
                enabled: !!pcCheckPage.checker && !pcCheckPage.checker.checking && pcCheckPage.pendingFix === ""
                opacity: enabled ? 1 : 0.5
                onClicked: pcCheckPage.checkAgain()
            }
            NerevButton {
                objectName: "saveReportButton"
                minimumWidth: 180
                minimumHeight: 48
                pixelSize: Theme.textBody
                color: Theme.none
                border.width: 1
                border.color: Theme.white
                text: qsTr("保存报告给技术支持")
                enabled: !!pcCheckPage.checker && !pcCheckPage.savingReport
                opacity: enabled ? 1 : 0.5
                onClicked: pcCheckPage.saveReport()
            }
        }
        Text {
            id: reportText
            objectName: "reportMessage"
            x: buttons.width + 24
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - x
            text: pcCheckPage.reportMessage
            color: pcCheckPage.reportFailed ? Theme.error : Theme.secondaryText
            wrapMode: Text.WrapAtWordBoundaryOrAnywhere
            font.pixelSize: Theme.textNote
        }
    }
}
