import QtQuick 2.15
import QtTest 1.15
import "qrc:/qml"

// The smaller dialogs: headset chooser, mode-switch confirmation, update,
// power, network, port and driver notices, configuration comparison.
Item {
    id: root
    width: 200
    height: 200

    StandInNerev { id: nerev }
    StandInUpdate { id: nerevupdate }
    StandInMainWin { id: mainWin }

    PageTestCase {
        host: mainWin
        name: "Dialogs"
        when: windowShown

        property var page: null

        function open(file, properties) {
            page = load("qrc:/qml/windows/" + file, root, properties)
            page.show()
            tryVerify(function () { return page.visible })
            return page
        }
        function init() {
            nerev.reset()
            mainWin.reset()
            nerevupdate.setupResult = true
            nerevupdate.setupCalls = 0
        }
        function cleanup() {
            if (page)
                page.destroy()
            page = null
        }

        function test_headsetPicturesByModel() {
            nerev.setHeadsets([{ vrName: "KX00000000000001", ip: "10.0.0.1", vrState: false, isRecent: false },
                               { vrName: "KY00000000000002", ip: "10.0.0.2", vrState: false, isRecent: true },
                               { vrName: "X100000000000003", ip: "10.0.0.3", vrState: false, isRecent: false }])
            open("MoreSettingPage.qml")
            compare(page.width, 620)
            compare(page.height, 566)
            var pictures = ["qrc:/res/image/NEREVKX.png", "qrc:/res/image/NEREVKY.png", "qrc:/res/image/NEREVKZ.png"]
            for (var i = 0; i < 3; ++i) {
                var list = item(page, "headsetList")
                list.positionViewAtIndex(i, ListView.Contain)
                var row = list.itemAtIndex(i)
                verify(row, "row " + i)
                compare(row.picture, pictures[i])
                compare(findChild(row, "headsetPicture").source.toString(), pictures[i])
            }
            compare(page.pictureFor("KZ12"), "qrc:/res/image/NEREVKZ.png")
            compare(page.pictureFor(""), "qrc:/res/image/NEREVKZ.png")
        }

        function test_choosingAHeadsetConnectsAndCloses() {
            nerev.setHeadsets([{ vrName: "KZ0000000000ABCDEF", ip: "10.0.0.9", vrState: false, isRecent: false },
                               { vrName: "KY0000000000000001", ip: "10.0.0.8", vrState: true, isRecent: false }])
            open("MoreSettingPage.qml")
            var list = item(page, "headsetList")
            var connected = list.itemAtIndex(1)
            click(findChild(connected, "connectButton"))
            compare(nerev.callsTo("connectVR").length, 0, "the connected headset is not connected again")
            var row = list.itemAtIndex(0)
            click(findChild(row, "connectButton"))
            compare(nerev.callsTo("connectVR").length, 1)
            compare(nerev.callsTo("connectVR")[0].args, ["KZ0000000000ABCDEF", "10.0.0.9"])
            compare(mainWin.toasts, ["连接设备中，请稍后"])
            verify(page.visible, "open while the indicator turns")
            tryVerify(function () { return !page.visible }, 5000, "closes when the indicator stops")
        }

        // The controller refills the list on every refresh (its rows are
        // rebuilt), also while the chosen row's indicator turns.
        function test_chooserClosesAlsoWhenTheListIsRefilled() {
            var rows = [{ vrName: "KY2B5D03A9C1E7F4", ip: "192.168.31.82", vrState: false, isRecent: false },
                        { vrName: "KZ3C7A91B2D4E6F8", ip: "192.168.31.57", vrState: false, isRecent: true }]
            nerev.setHeadsets(rows)
            open("MoreSettingPage.qml")
            var list = item(page, "headsetList")
            click(findChild(list.itemAtIndex(0), "connectButton"))
            compare(nerev.callsTo("connectVR").length, 1)
            wait(300)
            rows[0].vrState = true
            rows[0].isRecent = true
            nerev.setHeadsets(rows)
            verify(page.visible, "open while the indicator turns")
            tryVerify(function () { var row = list.itemAtIndex(1); return row && row.objectName === "headsetRow_1" },
                      2000, "the rows are rebuilt")
            click(findChild(list.itemAtIndex(1), "connectButton"))
            compare(nerev.callsTo("connectVR").length, 1, "one headset at a time")
            tryVerify(function () { return !page.visible }, 5000, "closes after the indicator's run")
        }

        function test_confirmSwitchesTheMode_data() {
            return [ { tag: "from wired", wired: true }, { tag: "from wireless", wired: false } ]
        }
        function test_confirmSwitchesTheMode(data) {
            nerev.wired = data.wired
            nerev.clearCalls()
            open("ConfirmPage.qml", { showText: "确定切换为有线串流" })
            compare(page.width, 380)
            compare(page.height, 240)
            compare(item(page, "confirmText").text, "确定切换为有线串流")
            click(item(page, "okButton"))
            compare(nerev.callNames(), ["reportstreamMode", "wired="])
            compare(nerev.calls[0].args, [data.wired, true])
            compare(nerev.wired, !data.wired)
            verify(!page.visible)
        }

        function test_cancelLeavesTheMode() {
            open("ConfirmPage.qml", { showText: "x" })
            click(item(page, "cancelButton"))
            compare(nerev.calls.length, 0)
            verify(!page.visible)
        }

        function test_updateInstall() {
            open("UpdatePage.qml", { note: "line one<br>line two", isForce: false })
            verify(!item(page, "forceText").visible)
            nerevupdate.setupResult = false
            click(item(page, "installButton"))
            compare(mainWin.toasts, ["安装失败请重试！"])
            verify(page.visible, "a failed setup keeps the dialog")
            compare(mainWin.closeCount, 0)
            nerevupdate.setupResult = true
            click(item(page, "installButton"))
            compare(nerevupdate.setupCalls, 2)
            compare(nerev.callNames(), ["shutdownADB"])
            verify(!page.visible)
            compare(mainWin.closeCount, 1, "the program ends for the installer")
        }

        function test_updateCancel_data() {
            return [ { tag: "optional", force: false, closes: 0 }, { tag: "forced", force: true, closes: 1 } ]
        }
        function test_updateCancel(data) {
            open("UpdatePage.qml", { note: "n", isForce: data.force })
            compare(item(page, "forceText").visible, data.force)
            click(item(page, "cancelButton"))
            verify(!page.visible)
            compare(mainWin.closeCount, data.closes)
            compare(nerevupdate.setupCalls, 0)
        }

        function test_powerNoticeClosesOnlyOnMainsPower() {
            open("PowerDownPage.qml")
            compare(page.width, 420)
            compare(page.height, 336)
            compare(findChild(page.contentItem, "dialogClose").visible, false)
            nerev.showPowerTip()
            verify(page.visible)
            nerev.closePowerTip()
            verify(!page.visible)
        }

        function test_networkNoticeStaysOpen() {
            open("NetworkSetting.qml")
            compare(page.width, 620)
            compare(page.height, 579)
            click(item(page, "goButton"))
            compare(nerev.callNames(), ["openNetworkSetting"])
            verify(page.visible)
            click(item(page, "dialogClose"))
            verify(!page.visible)
        }

        function test_portNoticeNamesThePrograms() {
            open("UsePortProcessTips.qml", { names: "foo.exe;bar.exe" })
            compare(page.width, 440)
            compare(item(page, "portMessage").text, "端口“foo.exe;bar.exe”已被占用，请先关闭这些程序再进行串流")
        }

        function test_configurationColumns() {
            var rows = function (cpu) {
                return [["操作系统：", "Windows 10"], ["处理器：", cpu], ["内存：", "16 GB"], ["显卡：", "GPU"], ["DirectX 版本：", "12"]]
            }
            nerev.systemInfo = JSON.stringify([["当前配置", rows("This CPU")], ["最低配置", rows("Min CPU")],
                                               ["推荐配置", rows("Advised CPU")]])
            open("SystemInfoPage.qml")
            compare(page.width, 1220)
            compare(page.height, 661)
            var found = []
            var texts = function (node) {
                for (var i = 0; i < node.children.length; ++i) {
                    var c = node.children[i]
                    if (c.text !== undefined && c.visible && c.text !== "")
                        found.push(c.text)
                    texts(c)
                }
            }
            texts(page.contentItem)
            verify(found.indexOf("当前配置") >= 0 && found.indexOf("最低配置") >= 0 && found.indexOf("推荐配置") >= 0)
            verify(found.indexOf("Advised CPU") >= 0)
            compare(found.filter(function (t) { return t === "处理器：" }).length, 3)
        }
    }
}
