import QtQuick 2.15
import QtTest 1.15
import "qrc:/qml"

// The three set-up cards: the headset card's showVrList table, its list rows
// and stop button, the Steam card's rows, the PC card's fixed verdict.
Item {
    id: root
    width: 1300
    height: 700

    StandInNerev { id: nerev }
    StandInUpdate { id: nerevupdate }
    StandInMainWin { id: mainWin }

    readonly property string success: "qrc:/res/image/nerev_suc.png"
    readonly property string warning: "qrc:/res/image/nerev_warning_big.png"

    PageTestCase {
        name: "Cards"
        when: windowShown

        property var card: null

        function make(file, height) {
            var component = Qt.createComponent("qrc:/qml/" + file)
            compare(component.status, Component.Ready, component.errorString())
            card = component.createObject(root, { height: height || 677, host: mainWin })
            verify(card)
            return card
        }
        function child(name) {
            var item = findChild(card, name)
            verify(item, "no item " + name)
            return item
        }
        function headsets(count, connectedIndex) {
            var rows = []
            for (var i = 0; i < count; ++i)
                rows.push({ vrName: "KZ0000000000HS0" + i, ip: "192.168.1." + (10 + i),
                            vrState: i === connectedIndex, isRecent: i === 0 })
            nerev.setHeadsets(rows)
        }
        function init() {
            nerev.reset()
            mainWin.reset()
        }
        function cleanup() {
            if (card)
                card.destroy()
            card = null
        }

        // The seven cases of the headset card; mask null means "unchanged".
        function test_vrListTable_data() {
            return [
                { tag: "wired, connected", wired: true, count: 0, isConnect: true, hasDisConnect: false,
                  stop: false, list: false, icon: success, text: "已连接，戴上眼镜开始串流吧！", mask: true },
                { tag: "wired, device found", wired: true, enumerated: true, count: 0, isConnect: false, hasDisConnect: false,
                  stop: false, list: false, icon: "", text: "连接中", mask: false },
                { tag: "wired, no device", wired: true, count: 0, isConnect: false, hasDisConnect: false,
                  stop: false, list: false, icon: "", text: "检测中", mask: false },
                { tag: "wireless, empty list", count: 0, isConnect: false, hasDisConnect: false,
                  stop: false, list: false, icon: "", text: "搜索中", mask: false },
                { tag: "one, connected", count: 1, connected: 0, isConnect: true, hasDisConnect: false,
                  stop: true, list: false, icon: success, text: "已连接，戴上眼镜开始串流吧！", mask: true },
                { tag: "one, user disconnected", count: 1, isConnect: false, hasDisConnect: true, hasDevice: true,
                  stop: false, list: true, icon: warning, text: "请选择设备连接", mask: null },
                { tag: "one, not the target", count: 1, isConnect: false, hasDisConnect: false, hasDevice: false,
                  stop: false, list: true, icon: warning, text: "请选择设备连接", mask: null },
                { tag: "one, connecting", count: 1, isConnect: false, hasDisConnect: false, hasDevice: true,
                  stop: false, list: false, icon: "", text: "搜索中", mask: false },
                { tag: "several, connected", count: 3, connected: 1, isConnect: true, hasDisConnect: false,
                  stop: true, list: true, icon: success, text: "已连接，戴上眼镜开始串流吧！", mask: null },
                { tag: "several, not connected", count: 2, isConnect: false, hasDisConnect: false,
                  stop: false, list: true, icon: warning, text: "请选择眼镜连接", mask: null }
            ]
        }
        function test_vrListTable(data) {
            nerev.wired = !!data.wired
            nerev.hasEnumdevices = !!data.enumerated
            nerev.hasConnectedDevice = !!data.hasDevice
            headsets(data.count, data.connected === undefined ? -1 : data.connected)
            make("PageItem.qml")
            // Start from the opposite of every expected value, so "unchanged" is visible.
            card.stopVisible = !data.stop
            card.showList = !data.list
            card.maskWanted = data.mask === null ? true : !data.mask
            nerev.showVrList(data.isConnect, data.hasDisConnect)
            compare(card.stopVisible, data.stop)
            compare(child("stopButton").visible, data.stop)
            compare(card.showList, data.list)
            compare(child("vrList").visible, data.list)
            compare(card.statusIcon, data.icon)
            compare(card.statusText, data.text)
            compare(card.maskWanted, data.mask === null ? true : data.mask)
            compare(card.indicator.visible, data.icon === "", "the indicator turns while no icon shows")
            compare(card.detailsHeading, data.list ? "可用的VR眼镜" : "连接步骤")
        }

        function test_stepsFollowTheMode() {
            make("PageItem.qml")
            compare(card.statusText, "搜索中")
            compare(card.indicator.looptime, 0)
            verify(card.indicator.running, "turns endlessly")
            nerev.wired = true
            compare(card.statusText, "检测中")
            nerev.hasEnumdevices = true
            compare(card.statusText, "连接中")
            compare(card.title, "Marelle眼镜")
            nerev.vrName = "眼镜ID：345678"
            compare(card.title, "眼镜ID：345678")
        }

        function test_listRowsConnectAndShowTheirIndicator() {
            nerev.setHeadsets([{ vrName: "KX1234567890ABCDEF", ip: "10.0.0.7", vrState: false, isRecent: true },
                               { vrName: "AB12", ip: "10.0.0.8", vrState: true, isRecent: false }])
            make("PageItem.qml")
            nerev.showVrList(false, false)
            verify(card.showList)
            verify(child("vrList").visible)
            var first = child("vrRow_0")
            var second = child("vrRow_1")
            compare(first.height, 66)
            compare(second.height, 60)
            compare(findChild(first, "vrRowId").text, "VR ID: ABCDEF")
            compare(findChild(second, "vrRowId").text, "VR ID: AB12")
            verify(findChild(first, "vrRowRecent").visible)
            verify(!findChild(second, "vrRowRecent").visible)
            var connected = findChild(second, "vrRowButton")
            compare(connected.text, "已连接")
            compare(connected.width, 112)
            click(connected)
            compare(nerev.callsTo("connectVR").length, 0, "a connected row does not connect again")

            var button = findChild(first, "vrRowButton")
            compare(button.text, "连接")
            compare(button.width, 82)
            click(button)
            compare(nerev.callsTo("connectVR")[0].args, ["KX1234567890ABCDEF", "10.0.0.7", true])
            compare(mainWin.toasts, ["连接设备中，请稍后"])
            verify(!button.visible, "the indicator takes the button's place")
            verify(first.connecting)
        }

        function test_stopButtonDisconnects() {
            headsets(1, 0)
            nerev.vrIsConnect = true
            make("PageItem.qml")
            nerev.showVrList(true, false)
            verify(card.maskOn)
            click(child("stopButton"))
            compare(nerev.callsTo("connectVR")[0].args, ["", "", false])
            verify(!card.stopVisible)
            verify(!card.showList)
            compare(card.statusIcon, "")
            compare(card.statusText, "搜索中")
            verify(!card.maskOn)
        }

        function test_switchPillOnlyOnATallCard() {
            make("PageItem.qml", 677)
            var pill = child("switchModeButton")
            verify(pill.visible)
            click(pill)
            compare(mainWin.openedPages, ["qrc:/qml/windows/ConfirmPage.qml"])
            compare(mainWin.openedProperties[0].showText, "确定切换为有线串流")
            nerev.wired = true
            click(pill)
            compare(mainWin.openedProperties[1].showText, "确定切换为无线串流")
            card.height = 241
            verify(!pill.visible)
        }

        function test_steamRows_data() {
            return [
                { tag: "no Steam", state: 1, s: false, v: false,
                  rows: [["安装Steam软件", "安装", true, false], ["安装Steam VR软件", "安装", false, true]],
                  clicks: [["gotoWeb", [0]], null], note: true },
                { tag: "Steam closed", state: 0, s: false, v: false,
                  rows: [["Steam软件", "启动", true, false], ["Steam VR软件", "启动", false, true]],
                  clicks: [["launchSteam", []], null], note: false },
                { tag: "Steam running", state: 0, s: true, v: false,
                  rows: [["安装Steam软件", "已启动", false, true], ["Steam VR软件", "启动", true, false]],
                  clicks: [null, ["launchSteam", [true]]], note: false },
                { tag: "both running", state: 0, s: true, v: true,
                  rows: [["安装Steam软件", "已启动", false, true], ["安装Steam VR软件", "已启动", false, true]],
                  clicks: [null, null], note: false }
            ]
        }
        function test_steamRows(data) {
            nerev.steamState = data.state
            nerev.haslaunchSteam = data.s
            nerev.haslaunchSteamVR = data.v
            make("SteamPageItem.qml")
            var names = ["steamRow", "steamVrRow"]
            for (var i = 0; i < 2; ++i) {
                var row = child(names[i])
                compare(row.name, data.rows[i][0])
                compare(row.buttonText, data.rows[i][1])
                compare(row.highlighted, data.rows[i][2])
                compare(row.border.width, data.rows[i][2] ? 1 : 0)
                compare(row.dimmed, data.rows[i][3])
                compare(row.launched, data.rows[i][1] === "已启动")
                nerev.clearCalls()
                click(findChild(row, "steamItemButton"))
                if (data.clicks[i] === null) {
                    compare(nerev.calls.length, 0)
                } else {
                    compare(nerev.calls.length, 1)
                    compare(nerev.calls[0].name, data.clicks[i][0])
                    compare(nerev.calls[0].args, data.clicks[i][1])
                }
            }
            compare(child("noSteamNote").visible, data.note)
        }

        function test_steamStatusAfterTheCheckAndOnChanges() {
            nerev.haslaunchSteam = true
            make("SteamPageItem.qml")
            compare(card.statusText, "检测中")
            tryVerify(function () { return card.checked }, 5000)
            compare(card.statusIcon, warning)
            compare(card.statusText, "请按以下步骤操作")
            verify(!card.maskOn)
            nerev.haslaunchSteamVR = true
            compare(card.statusIcon, success)
            compare(card.statusText, "已就绪")
            verify(card.maskOn)
            nerev.haslaunchSteam = false
            compare(card.statusText, "请按以下步骤操作")
        }

        function test_pcVerdict_data() {
            return [
                { tag: "advised", grade: 2, ok: true },
                { tag: "lowest grade", grade: 1, ok: true },
                { tag: "cannot run", grade: 0, ok: false }
            ]
        }
        function test_pcVerdict(data) {
            nerev.pcHardware = data.grade
            nerev.simplySystemInfo = JSON.stringify([["处理器：", "Test CPU"], ["显卡：", "Test GPU;Other"]])
            make("SystemPageItem.qml")
            compare(card.statusText, "检测中")
            compare(card.indicator.looptime, 1)
            tryVerify(function () { return card.checked }, 5000)
            compare(card.statusIcon, data.ok ? success : "qrc:/res/image/fail.png")
            compare(card.statusText, data.ok ? "本机配置符合要求" : "本机配置无法串流")
            compare(card.maskOn, data.ok)
            compare(card.border.width, data.ok ? 0 : 1)
            compare(Qt.colorEqual(card.titleColor, data.ok ? "#FFFFFF" : "#FB625C"), true)
            // Fixed once the indicator stopped.
            nerev.pcHardware = data.ok ? 0 : 2
            nerev.pcHardwareChange()
            compare(card.statusText, data.ok ? "本机配置符合要求" : "本机配置无法串流")
            click(child("moreInfoLink"))
            compare(mainWin.openedPages, ["qrc:/qml/windows/SystemInfoPage.qml"])
        }
    }
}
