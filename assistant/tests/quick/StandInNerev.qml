import QtQuick 2.15
import NerevManager 1.0

// Stand-in of the controller object "nerev": its properties as plain values
// the test sets, its signals, and invokables that record each call (name and
// the arguments as passed) and answer what the test prepared. Its base, the
// test-only NerevManagerCLS, holds AV1available.
NerevManagerCLS {
    id: standIn

    property var calls: []

    // Controller state
    property string systemInfo: "[]"
    property string simplySystemInfo: "[]"
    property int pcHardware: 2
    property int steamState: 0
    property string vrName: "Marelle眼镜"
    property bool vrIsConnect: false
    property ListModel vrLists: ListModel {}
    property int fpsIndex: 1
    property bool audioStatus: false
    property bool tenbitEnc: false
    property bool fullRangeColor: false
    property bool enableHdr: false
    property int definitionIndex: 1
    property int encodeType: 1
    property int widthIndex: 1832
    property int heightIndex: 1920
    property int bitRate: 150
    property int videoRatio: 100
    property bool haslaunchSteamVR: false
    property bool haslaunchSteam: false
    property bool wired: false
    property bool hasEnumdevices: false
    property bool nvidiaAvailable: false

    // Answers of the invokables
    property bool hideSelectPage: true
    property bool audioInstalled: true
    property bool hasConnectedDevice: false

    signal systemInfoChange()
    signal pcHardwareChange()
    signal steamStateChange()
    signal vrIsConnectChange()
    signal showToast(string tips, int duration)
    signal showPowerTip()
    signal closePowerTip()
    signal effectChange()
    signal closeExe()
    signal showMoreHMD()
    signal showVrList(bool isConnect, bool hasDisConnect)
    signal hasEnumdevicesChange()
    signal showNetWorkSetting()
    signal showUpdateGPUPage()
    signal showUseProtPage(string names)

    // Back to the state every test starts from.
    function reset() {
        calls = []
        systemInfo = "[]"
        simplySystemInfo = "[]"
        pcHardware = 2
        steamState = 0
        vrName = "Marelle眼镜"
        vrIsConnect = false
        vrLists.clear()
        fpsIndex = 1
        audioStatus = false
        definitionIndex = 1
        encodeType = 1
        widthIndex = 1832
        heightIndex = 1920
        bitRate = 150
        videoRatio = 100
        haslaunchSteamVR = false
        haslaunchSteam = false
        wired = false
        hasEnumdevices = false
        AV1available = false
        nvidiaAvailable = false
        hideSelectPage = true
        audioInstalled = true
        hasConnectedDevice = false
        calls = []
    }

    function record(name, args) {
        var list = calls.slice()
        list.push({ name: name, args: Array.prototype.slice.call(args) })
        calls = list
    }
    function callsTo(name) {
        return calls.filter(function (c) { return c.name === name })
    }
    function callNames() {
        return calls.map(function (c) { return c.name })
    }
    function clearCalls() {
        calls = []
    }
    // Headsets as the controller's list model holds them.
    function setHeadsets(rows) {
        vrLists.clear()
        for (var i = 0; i < rows.length; ++i)
            vrLists.append(rows[i])
    }

    onWiredChanged: record("wired=", [wired])

    function gotoWeb(url) { record("gotoWeb", arguments) }
    function sendFeecback(content, id) { record("sendFeecback", arguments) }
    function setEffects(definition, fps, encodType, audiostatus, tenbit, fullRange, hdr) { record("setEffects", arguments) }
    function launchSteam(isVR) { record("launchSteam", arguments) }
    function connectVR(name, ip, vrState) { record("connectVR", arguments) }
    function setupNewVersion() { record("setupNewVersion", arguments) }
    function stopSteam() { record("stopSteam", arguments) }
    function isHasConnectedDevice() { record("isHasConnectedDevice", arguments); return hasConnectedDevice }
    function reportstreamMode(isWired, isSwitch) { record("reportstreamMode", arguments) }
    function openNetworkSetting() { record("openNetworkSetting", arguments) }
    function installAudio() { record("installAudio", arguments); return audioInstalled }
    function trimmedString(str) { return String(str).trim() }
    function closeApp() { record("closeApp", arguments) }
    function shutdownADB() { record("shutdownADB", arguments) }
    function checkPortUsage() { record("checkPortUsage", arguments) }
    function isKY() { return false }
    function setVideoQuilty(scale, bitrate) { record("setVideoQuilty", arguments) }
    function setVideoBitRate(bitrate) { record("setVideoBitRate", arguments) }
    function isHideSelectPage() { record("isHideSelectPage", arguments); return hideSelectPage }
}
