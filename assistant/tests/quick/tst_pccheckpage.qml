import QtQuick 2.15
import QtTest 1.15
import NerevManager 1.0
import "qrc:/qml"

// "Check my PC" against a stand-in checker: each row shows its state and fix,
// the fixes go to the checker (ending programs only after a confirmation), what
// a fix did shows in its row, "Check again" and the report; the PC card's link.
Item {
    id: root
    width: 1300
    height: 700

    StandInNerev { id: nerev }
    StandInUpdate { id: nerevupdate }
    StandInMainWin { id: mainWin }
    StandInPcChecker { id: checker }

    PageTestCase {
        host: mainWin
        name: "PcCheckPage"
        when: windowShown

        property var page: null
        property var card: null

        function row(id, state, busy, fixLabel) {
            return { rowId: id, title: "title " + id, state: state, sentence: "sentence of " + id,
                     fixLabel: fixLabel || "", busy: !!busy }
        }
        function open() {
            page = load("qrc:/qml/windows/PcCheckPage.qml", root, { checker: checker })
            page.show()
            tryVerify(function () { return page.visible })
            return page
        }
        function rowItem(id) {
            var list = item(page, "checkList")
            for (var i = 0; i < list.count; ++i) {
                var r = list.itemAtIndex(i)
                if (r && r.objectName === "check_" + id)
                    return r
            }
            verify(false, "no row " + id)
        }
        function init() {
            nerev.reset()
            mainWin.reset()
            checker.reset()
        }
        function cleanup() {
            if (page)
                page.destroy()
            page = null
            if (card)
                card.destroy()
            card = null
        }

        function test_rowShowsItsStateAndFix_data() {
            return [
                { tag: "checking", state: -1, busy: true, fix: "", text: "检查中", icon: false, button: false },
                { tag: "checking again keeps the fix hidden", state: PcCheck.Failed, busy: true, fix: "添加防火墙规则",
                  text: "检查中", icon: false, button: false },
                { tag: "not checked", state: -1, busy: false, fix: "", text: "未检查", icon: false, button: false },
                { tag: "passed", state: PcCheck.Passed, busy: false, fix: "", text: "通过", icon: true,
                  source: "qrc:/res/image/nerev_suc.png", button: false },
                { tag: "warning with a fix", state: PcCheck.Warning, busy: false, fix: "打开驱动下载页", text: "警告",
                  icon: true, source: "qrc:/res/image/nerev_warning_big.png", button: true },
                { tag: "failed with a fix", state: PcCheck.Failed, busy: false, fix: "添加防火墙规则", text: "未通过",
                  icon: true, source: "qrc:/res/image/fail.png", button: true },
                { tag: "failed, advice only", state: PcCheck.Failed, busy: false, fix: "", text: "未通过", icon: true,
                  source: "qrc:/res/image/fail.png", button: false },
                { tag: "could not check", state: PcCheck.CouldNotCheck, busy: false, fix: "", text: "无法检查",
                  icon: true, source: "qrc:/res/image/warning.png", button: false }
            ]
        }
        function test_rowShowsItsStateAndFix(data) {
            checker.setRows([row("firewall", data.state, data.busy, data.fix)])
            open()
            var r = rowItem("firewall")
            compare(findChild(r, "checkTitle").text, "title firewall")
            compare(findChild(r, "checkSentence").text, "sentence of firewall")
            compare(findChild(r, "checkStateText").text, data.text)
            compare(findChild(r, "checkBusy").visible, data.busy)
            compare(findChild(r, "checkStateIcon").visible, data.icon)
            if (data.icon)
                compare(findChild(r, "checkStateIcon").source.toString(), data.source)
            var button = findChild(r, "fixButton")
            compare(button.visible, data.button)
            if (data.button)
                compare(button.text, data.fix)
        }

        function test_aFixGoesToTheCheckerAndItsOutcomeShowsInItsRow() {
            checker.setRows([row("firewall", PcCheck.Failed, false, "添加防火墙规则"),
                             row("powerPlan", PcCheck.Failed, false, "切换到高性能")])
            open()
            click(findChild(rowItem("firewall"), "fixButton"))
            compare(checker.callsTo("applyFix").length, 1)
            compare(checker.callsTo("applyFix")[0].args, ["firewall", false])

            checker.fixFinished("firewall", false, "修复失败：拒绝访问。")
            var message = findChild(rowItem("firewall"), "checkFixMessage")
            verify(message.visible)
            compare(message.text, "修复失败：拒绝访问。")
            verify(Qt.colorEqual(message.color, Theme.error))
            verify(!findChild(rowItem("powerPlan"), "checkFixMessage").visible, "only the fixed row says so")

            checker.fixFinished("firewall", true, "已添加防火墙规则。")
            compare(message.text, "已添加防火墙规则。")
            verify(Qt.colorEqual(message.color, Theme.text))

            // A new run starts without the old outcomes.
            click(item(page, "checkAgainButton"))
            compare(checker.callsTo("checkAll").length, 1)
            verify(!findChild(rowItem("firewall"), "checkFixMessage").visible)
        }

        function test_endingAProgramWaitsForTheConfirmation() {
            checker.setRows([row("ports", PcCheck.Failed, false, "结束 foo.exe")])
            checker.confirmations = { ports: "要结束 foo.exe 吗？它未保存的内容会丢失。" }
            open()
            var confirmation = item(page, "fixConfirmation")
            verify(!confirmation.visible)
            click(findChild(rowItem("ports"), "fixButton"))
            compare(checker.callsTo("applyFix").length, 0, "nothing ends before the answer")
            verify(confirmation.visible)
            compare(item(page, "fixQuestion").text, "要结束 foo.exe 吗？它未保存的内容会丢失。")
            verify(!item(page, "checkAgainButton").enabled)

            click(item(page, "cancelFixButton"))
            verify(!confirmation.visible)
            compare(checker.callsTo("applyFix").length, 0, "cancelled: nothing ended")

            click(findChild(rowItem("ports"), "fixButton"))
            click(item(page, "confirmFixButton"))
            verify(!confirmation.visible)
            compare(checker.callsTo("applyFix").length, 1)
            compare(checker.callsTo("applyFix")[0].args, ["ports", true])
        }

        function test_checkAgainWaitsForTheRunningChecks() {
            checker.setRows([row("audio", -1, true)])
            checker.checking = true
            open()
            var again = item(page, "checkAgainButton")
            verify(!again.enabled)
            click(again)
            compare(checker.callsTo("checkAll").length, 0)
            checker.checking = false
            verify(again.enabled)
            click(again)
            compare(checker.callsTo("checkAll").length, 1)
        }

        function test_theReportSaysWhereItWasSavedOrWhyNot() {
            open()
            var save = item(page, "saveReportButton")
            var message = item(page, "reportMessage")
            compare(message.text, "")
            click(save)
            compare(checker.callsTo("saveSupportReport").length, 1)
            verify(!save.enabled, "one report at a time")
            compare(message.text, "正在保存报告……")
            click(save)
            compare(checker.callsTo("saveSupportReport").length, 1)

            checker.reportSaved("C:\\Users\\张伟\\Desktop\\OSTREL_Streaming_Assistant_report_20240502_101500.zip")
            verify(save.enabled)
            compare(message.text, "报告已保存到 C:\\Users\\张伟\\Desktop\\OSTREL_Streaming_Assistant_report_20240502_101500.zip")
            verify(Qt.colorEqual(message.color, Theme.secondaryText))

            click(save)
            checker.reportFailed("Access is denied.")
            compare(message.text, "报告没有保存：Access is denied.")
            verify(Qt.colorEqual(message.color, Theme.error))
            verify(save.enabled)
        }

        function test_pcCardLinksToThePage() {
            var component = Qt.createComponent("qrc:/qml/SystemPageItem.qml")
            card = component.createObject(root, { height: 677, host: mainWin, checker: checker })
            verify(card)
            var link = findChild(card, "pcCheckLink")
            var text = findChild(card, "pcCheckLinkText")
            verify(link.visible)
            compare(text.text, "检查我的电脑")
            verify(Qt.colorEqual(text.color, Theme.accent))
            checker.anyFailed = true
            compare(text.text, "发现问题，去修复")
            verify(Qt.colorEqual(text.color, Theme.error))
            click(text)
            compare(mainWin.openedPages, ["qrc:/qml/windows/PcCheckPage.qml"])
            compare(mainWin.openedProperties[0].checker, checker)
        }
    }
}
