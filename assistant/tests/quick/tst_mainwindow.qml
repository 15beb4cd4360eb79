import QtQuick 2.15
import QtTest 1.15
import QtQuick.Window 2.15

// The main window against the stand-ins: start-up, the mode page, the width
// snap, the sub-window loader and its guarded notices, toasts, closing.
Item {
    id: root
    width: 200
    height: 200

    StandInNerev { id: nerev }
    StandInUpdate { id: nerevupdate }
    StandInPcChecker { id: pcchecker }

    PageTestCase {
        name: "MainWindow"
        when: windowShown

        property var win: null

        function open(properties) {
            win = load("qrc:/qml/mainWindow.qml", root, properties)
            tryVerify(function () { return win.visible })
            return win
        }
        function loader() {
            return item(win, "subLoader")
        }
        function currentPage() {
            return loader().source.toString()
        }
        function init() {
            nerev.reset()
            pcchecker.reset()
        }
        function cleanup() {
            if (win) {
                if (loader().item)
                    loader().item.close()
                win.destroy()
            }
            win = null
        }

        function test_storedModeShowsTheSetUpAtOnce() {
            nerev.hideSelectPage = true
            open()
            compare(win.title, "串流助手")
            compare(win.width, 1360)
            compare(win.height, 875)
            verify(item(win, "setupPage").visible)
            verify(!item(win, "modePage").visible)
            verify(item(win, "settingButton").visible)
            compare(nerev.callNames(), ["isHideSelectPage", "checkPortUsage"])
            compare(win.titleBar, item(win, "titleBar"))
        }

        function test_firstStartChoosesTheMode_data() {
            return [ { tag: "wired", card: "wiredCard", wired: true, calls: ["isHideSelectPage", "checkPortUsage", "reportstreamMode", "wired="] },
                     { tag: "wireless", card: "wirelessCard", wired: false, calls: ["isHideSelectPage", "checkPortUsage", "reportstreamMode"] } ]
        }
        function test_firstStartChoosesTheMode(data) {
            nerev.hideSelectPage = false
            open()
            verify(item(win, "modePage").visible)
            verify(!item(win, "setupPage").visible)
            verify(!item(win, "settingButton").visible)
            click(findChild(item(win, data.card), "startButton"))
            compare(nerev.callNames(), data.calls)
            compare(nerev.callsTo("reportstreamMode")[0].args, [data.wired, false])
            compare(nerev.wired, data.wired)
            verify(!item(win, "modePage").visible)
            verify(item(win, "setupPage").visible)
            verify(item(win, "settingButton").visible)
        }

        function test_widthSnapsBack() {
            open()
            win.width = 1000
            tryCompare(win, "width", 1360)
            compare(win.height, 875)
            win.height = 700
            win.width = 1500
            tryCompare(win, "width", 1360)
            tryCompare(win, "height", 875)
        }

        function test_scaledWindowKeepsItsScaledSize() {
            open({ contentScale: 0.8 })
            compare(win.width, 1088)
            compare(win.height, 700)
            win.width = 1360
            tryCompare(win, "width", 1088)
            tryCompare(win, "height", 700)
            win.openSubWin("qrc:/qml/windows/ConfirmPage.qml", { showText: "x" })
            compare(loader().item.width, Math.ceil(380 * 0.8))
            compare(loader().item.x, win.x + 680 * 0.8 - loader().item.width / 2)
        }

        function test_guardedNoticesAreNotCovered() {
            open()
            nerev.showUseProtPage("foo.exe;bar.exe")
            compare(currentPage(), "qrc:/qml/windows/UsePortProcessTips.qml")
            compare(loader().item.names, "foo.exe;bar.exe")
            verify(loader().item.visible)
            verify(item(win, "dimmer").visible)
            compare(loader().item.parentWin, win)

            nerev.showNetWorkSetting()
            nerevupdate.updateSignal("note", true)
            nerev.showPowerTip()
            nerev.showUpdateGPUPage()
            compare(currentPage(), "qrc:/qml/windows/UsePortProcessTips.qml")
            compare(nerev.callsTo("stopSteam").length, 0)

            // Not guarded: the headset chooser replaces the notice.
            nerev.showMoreHMD()
            compare(currentPage(), "qrc:/qml/windows/MoreSettingPage.qml")
            loader().item.close()
            verify(!item(win, "dimmer").visible)

            nerev.showNetWorkSetting()
            compare(currentPage(), "qrc:/qml/windows/NetworkSetting.qml")
            nerev.showUpdateGPUPage()
            compare(currentPage(), "qrc:/qml/windows/NetworkSetting.qml")
            loader().item.close()
            nerev.showUpdateGPUPage()
            compare(currentPage(), "qrc:/qml/windows/UpdateGpuDriverTips.qml")
            loader().item.close()
            nerev.showPowerTip()
            compare(currentPage(), "qrc:/qml/windows/PowerDownPage.qml")
        }

        function test_cancelledForcedUpdateClosesTheProgram() {
            open()
            nerevupdate.updateSignal("first/nsecond", true)
            compare(currentPage(), "qrc:/qml/windows/UpdatePage.qml")
            compare(loader().item.isForce, true)
            compare(nerev.callNames().slice(-1), ["stopSteam"])
            click(item(loader().item, "cancelButton"))
            verify(!loader().item.visible)
            tryVerify(function () { return !win.visible }, 2000, "the main window closed")
        }

        function test_cancelledOptionalUpdateKeepsTheProgram() {
            open()
            nerevupdate.updateSignal("note", false)
            compare(nerev.callsTo("stopSteam").length, 0)
            click(item(loader().item, "cancelButton"))
            verify(!loader().item.visible)
            verify(win.visible)
        }

        function test_systemCloseCommand() {
            open()
            nerev.showMoreHMD()
            var dialog = loader().item
            verify(dialog.visible)
            win.closeAll()
            verify(!dialog.visible)
            compare(nerev.callNames().slice(-1), ["closeApp"])
            verify(!win.visible)
        }

        function test_closeButtonReportsTheSession() {
            open()
            click(item(win, "closeButton"))
            compare(nerev.callNames().slice(-1), ["closeApp"])
            verify(!win.visible)
        }

        function test_closeExeClosesTheWindow() {
            open()
            nerev.closeExe()
            verify(!win.visible)
        }

        function test_toastFollowsTheController() {
            open()
            var toast = null
            nerev.showToast("正在登录steam，请稍等", 15000)
            // The toast is the one top-level window that is neither the main window nor a dialog.
            toast = findChild(win, "toastText")
            verify(toast)
            compare(toast.text, "正在登录steam，请稍等")
            var toastWindow = toast.Window.window
            verify(toastWindow.visible)
            compare(toastWindow.duration, 15000)
            compare(toastWindow.width, Math.ceil(toast.width + 24))
            verify(Math.abs(toastWindow.x - (win.x + 680 - toastWindow.width / 2)) < 1, "centred on the window")
            compare(toastWindow.y, win.y + 400)
            nerev.showToast("short", 0)
            compare(toastWindow.duration, 2000)
        }

        function test_toastHidesAfterItsTime() {
            open()
            win.showToast("bye", 300)
            var toastWindow = findChild(win, "toastText").Window.window
            verify(toastWindow.visible)
            tryVerify(function () { return !toastWindow.visible }, 2000)
        }

        function test_pullHandle() {
            open()
            var handle = item(win, "pullHandle")
            var row = item(win, "cardRow")
            var tips = item(win, "tipsBar")
            verify(!handle.visible)
            compare(row.y, tips.height + 22)
            compare(row.height, 875 - 90 - tips.height - 22 - 30)
            nerev.vrIsConnect = true
            verify(handle.visible)
            click(handle)
            verify(win.ispullDown)
            compare(row.y, tips.height + 488)
            click(item(win, "dismissTips"))
            verify(!tips.visible)
            compare(row.y, 544)
            compare(row.height, 875 - 90 - 544)
            nerev.vrIsConnect = false
            verify(!win.ispullDown)
            compare(row.y, 22)
        }

        function test_pcCardOpensCheckMyPcWithTheChecker() {
            open()
            pcchecker.anyFailed = true
            click(item(win, "pcCheckLinkText"))
            compare(currentPage(), "qrc:/qml/windows/PcCheckPage.qml")
            compare(loader().item.checker, pcchecker)
            verify(loader().item.visible)
        }

        function test_settingsAndFeedbackOpen() {
            open()
            click(item(win, "settingButton"))
            compare(currentPage(), "qrc:/qml/windows/SettingPage.qml")
            loader().item.close()
            click(item(win, "feedbackButton"))
            compare(currentPage(), "qrc:/qml/windows/FeedbackPage.qml")
            loader().item.close()
            click(item(win, "helpButton"))
            compare(nerev.callsTo("gotoWeb")[0].args, [1])
        }
    }
}
