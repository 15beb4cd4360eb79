import QtQuick 2.15
import QtTest 1.15
import "qrc:/qml"

// The settings dialog: the apply decision, the custom sliders, the codec
// forms, the microphone switch.
Item {
    id: root
    width: 200
    height: 200

    StandInNerev { id: nerev }
    StandInUpdate { id: nerevupdate }
    StandInMainWin { id: mainWin }

    PageTestCase {
        name: "SettingPage"
        when: windowShown

        property var page: null

        function openPage() {
            var component = Qt.createComponent("qrc:/qml/windows/SettingPage.qml")
            compare(component.status, Component.Ready, component.errorString())
            page = component.createObject(root, { host: mainWin })
            verify(page)
            page.show()
            tryVerify(function () { return page.visible })
            return page
        }
        function child(name) {
            var item = findChild(page.contentItem, name)
            verify(item, "no item " + name)
            return item
        }
        function init() {
            nerev.reset()
            mainWin.reset()
        }
        function cleanup() {
            if (page)
                page.destroy()
            page = null
        }

        function test_noChangeOnlyShowsAToastAndStaysOpen() {
            openPage()
            click(child("applyButton"))
            compare(mainWin.toasts, ["已是当前配置"])
            compare(nerev.callsTo("setEffects").length, 0)
            compare(nerev.callsTo("setVideoBitRate").length, 0)
            compare(nerev.callsTo("setVideoQuilty").length, 0)
            verify(page.visible, "the dialog stays open")
        }

        function test_customWithOnlyTheBitRateStoresTheBitRateAlone() {
            nerev.definitionIndex = 3
            openPage()
            verify(child("presetSection").height >= 328, "the custom block shows")
            child("bitRateSlider").value = 200
            compare(child("bitRateText").text, "200Mbps")
            click(child("applyButton"))
            compare(nerev.callNames(), ["setVideoBitRate"])
            compare(nerev.calls[0].args, [200])
            compare(mainWin.toasts, ["切换码率"])
            verify(!page.visible, "closed")
        }

        function test_customWithTheRatioStoresThenApplies() {
            nerev.definitionIndex = 3
            nerev.fpsIndex = 0
            nerev.encodeType = 0
            openPage()
            child("ratioSlider").value = 85
            child("bitRateSlider").value = 120
            compare(child("resolutionText").text, Math.round(1832 * 0.85) + " * " + Math.round(1920 * 0.85))
            click(child("applyButton"))
            compare(nerev.callNames(), ["setVideoQuilty", "setEffects"])
            compare(nerev.calls[0].args, [85, 120])
            compare(nerev.calls[1].args, [3, 0, 0, false, false, false, false])
            verify(!page.visible)
        }

        function test_choosingTheCustomPresetAppliesItEvenWithUnchangedValues() {
            openPage()
            click(child("preset_3"))
            click(child("applyButton"))
            compare(nerev.callNames(), ["setVideoQuilty", "setEffects"])
            compare(nerev.calls[0].args, [100, 150])
            compare(nerev.calls[1].args[0], 3)
        }

        function test_fixedPresetAppliesWithoutTheExtras() {
            nerev.audioStatus = true
            openPage()
            click(child("preset_2"))
            click(child("fps_0"))
            click(child("applyButton"))
            compare(nerev.callNames(), ["setEffects"])
            compare(nerev.calls[0].args, [2, 0, 1, true, false, false, false])
            compare(mainWin.toasts, [])
            verify(!page.visible)
        }

        function test_bitRateSliderEndFollowsTheMode() {
            nerev.definitionIndex = 3
            openPage()
            var slider = child("bitRateSlider")
            compare(slider.to, 400)
            compare(slider.marker, 35)
            compare(slider.from, 20)
            compare(slider.stepSize, 5)
            nerev.wired = true
            compare(slider.to, 1000)
            compare(slider.marker, 95)
            nerev.wired = false
            compare(slider.to, 400)
            var ratio = child("ratioSlider")
            compare([ratio.from, ratio.to, ratio.stepSize, ratio.marker], [50, 135, 5, 100])
        }

        function test_codecForms_data() {
            return [
                { tag: "AV1", av1: true, nvidia: true, count: 4, width: 170, note: true },
                { tag: "NVIDIA without AV1", av1: false, nvidia: true, count: 3, width: 232, note: false },
                { tag: "neither", av1: false, nvidia: false, count: 2, width: 348, note: false }
            ]
        }
        function test_codecForms(data) {
            nerev.AV1available = data.av1
            nerev.nvidiaAvailable = data.nvidia
            nerev.encodeType = 0
            openPage()
            compare(page.codecNames.length, data.count)
            for (var i = 0; i < data.count; ++i)
                compare(child("codec_" + i).width, data.width)
            compare(findChild(page.contentItem, "codec_" + data.count), null)
            compare(child("av1Note").visible, data.note)
            click(child("codec_" + (data.count - 1)))
            click(child("applyButton"))
            compare(nerev.callsTo("setEffects")[0].args[2], data.count - 1)
        }

        function test_storedCodecTheFormLacksStartsAtHevc() {
            nerev.encodeType = 3
            openPage()
            compare(page.chosenCodec, 1)
            nerev.reset()
            nerev.AV1available = true
            nerev.encodeType = 3
            cleanup()
            openPage()
            compare(page.chosenCodec, 3)
        }

        function test_microphoneNeedsTheVirtualCable() {
            nerev.audioInstalled = false
            openPage()
            click(child("micSwitch"))
            compare(page.micOn, false)
            compare(mainWin.toasts, ["请安装完成虚拟麦克风再试"])
            nerev.audioInstalled = true
            click(child("micSwitch"))
            compare(page.micOn, true)
            compare(nerev.callsTo("installAudio").length, 2)
        }

        function test_effectChangeResetsTheFrameRate() {
            openPage()
            click(child("fps_0"))
            compare(page.chosenFps, 0)
            nerev.effectChange()
            compare(page.chosenFps, 1)
        }
    }
}
