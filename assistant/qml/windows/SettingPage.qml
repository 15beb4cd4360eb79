import QtQuick 2.15
import NerevManager 1.0
import QtQuick.Controls 2.15
import "../common"

// Streaming quality: preset (or the custom render scale and bit rate), frame
// rate, codec and microphone; applying restarts SteamVR through the controller.
DialogWindow {
    id: settingPage

    readonly property var presetNames: [qsTr("流畅"), qsTr("标准"), qsTr("高清"), qsTr("自定义")]
    readonly property var codecNames: [qsTr("H.264"), qsTr("HEVC"), qsTr("HEVC-10bit"), qsTr("AV1-10bit")]
                                      .slice(0, PageRules.codecChoices(nerev.AV1available, nerev.nvidiaAvailable))
    readonly property int codecButtonWidth: codecNames.length === 4 ? 170 : codecNames.length === 3 ? 232 : 348
    readonly property var scaleRange: PageRules.quality.scale
    readonly property var bitRateRange: nerev.wired ? PageRules.quality.wiredBitRate : PageRules.quality.wirelessBitRate
    property int checkedPreset: nerev.definitionIndex
    property int chosenFps: nerev.fpsIndex
    property int chosenCodec: initialCodec()
    property bool micOn: nerev.audioStatus
    property alias ratio: ratioSlider.value
    property alias bitRate: bitRateSlider.value

    // A stored codec that the form does not offer (no AV1 or 10-bit here)
    // starts at HEVC, which every form has.
    function initialCodec() {
        return nerev.encodeType >= 0 && nerev.encodeType < codecNames.length ? nerev.encodeType : 1
    }

    function toggleMicrophone() {
        if (nerev.installAudio())
            micOn = !micOn
        else
            host.showToast(qsTr("请安装完成虚拟麦克风再试"))
    }

    function apply() {
        var chosen = { preset: checkedPreset, fps: chosenFps, codec: chosenCodec, microphone: micOn,
                       scale: Math.round(ratioSlider.value), bitRate: Math.round(bitRateSlider.value) }
        var current = { preset: nerev.definitionIndex, fps: nerev.fpsIndex, codec: nerev.encodeType,
                        microphone: nerev.audioStatus, scale: nerev.videoRatio, bitRate: nerev.bitRate }
        var change = PageRules.qualityChange(chosen, current)
        if (change === PageRules.Unchanged) {
            host.showToast(qsTr("已是当前配置"))
            return
        }
        if (change === PageRules.BitRateOnly) {
            nerev.setVideoBitRate(chosen.bitRate)
            host.showToast(qsTr("切换码率"))
            settingPage.close()
            return
        }
        if (chosen.preset === 3)
            nerev.setVideoQuilty(chosen.scale, chosen.bitRate)
        nerev.setEffects(chosen.preset, chosen.fps, chosen.codec, chosen.microphone, false, false, false)
        settingPage.close()
    }

    title: qsTr("设置")
    designWidth: 804
    titleBarHeight: 60
    contentHeight: sections.height

    Connections {
        target: nerev
        function onEffectChange() {
            settingPage.chosenFps = nerev.fpsIndex
        }
        function onAv1AvailableChanged() {
            console.log("AV1available changed:", nerev.AV1available)
        }
    }

    Column {
        id: sections
        x: 30
        width: 744
        spacing: 12

        // A heading over its box.
        Column {
            spacing: 8

            Text {
                text: qsTr("清晰度设置")
                color: Theme.text
                font.pixelSize: 20
            }
            Rectangle {
                objectName: "presetSection"
                width: 744
                height: settingPage.checkedPreset === 3 ? Math.max(328, 86 + customBlock.height + 16) : 86
                radius: 12
                color: Theme.field
                clip: true

                Row {
                    x: 16
                    y: 16
                    spacing: 8

                    Repeater {
                        model: settingPage.presetNames
                        Rectangle {
                            readonly property bool checked: settingPage.checkedPreset === index
                            objectName: "preset_" + index
                            width: 172
                            height: 54
                            radius: 8
                            color: checked ? Theme.choiceOn : Theme.choiceOff

                            Rectangle {
                                id: ring
                                x: 14
                                anchors.verticalCenter: parent.verticalCenter
                                width: 26
                                height: 26
                                radius: 13
                                color: Theme.none
                                border.width: 2
                                border.color: Theme.choiceOn
                                Image {
                                    anchors.fill: parent
                                    source: "qrc:/res/image/nerev_radio.png"
                                    visible: checked
                                }
                            }
                            Text {
                                anchors.left: ring.right
                                anchors.leftMargin: 10
                                anchors.right: parent.right
                                anchors.rightMargin: 8
                                anchors.verticalCenter: parent.verticalCenter
                                text: modelData
                                color: checked ? Theme.text : Theme.dimText
                                wrapMode: Text.Wrap
                                font.pixelSize: 20
                            }
                            MouseArea {
                                anchors.fill: parent
                                cursorShape: Qt.PointingHandCursor
                                onClicked: settingPage.checkedPreset = index
                            }
                        }
                    }
                }

                Column {
                    id: customBlock
                    x: 16
                    y: 86 + Math.max(0, (328 - 86 - 16 - height) / 2)
                    width: 712
                    spacing: 24
                    visible: settingPage.checkedPreset === 3

                    Column {
                        width: parent.width
                        spacing: 10
                        Text {
                            width: parent.width
                            text: qsTr("渲染分辨率")
                            color: Theme.text
                            wrapMode: Text.Wrap
                            font.pixelSize: 18
                        }
                        QualitySlider {
                            id: ratioSlider
                            objectName: "ratioSlider"
                            from: settingPage.scaleRange.from
                            to: settingPage.scaleRange.to
                            stepSize: settingPage.scaleRange.step
                            marker: settingPage.scaleRange.marker
                            value: nerev.videoRatio
                        }
                        Item {
                            width: ratioSlider.width
                            height: resolutionText.height
                            Text {
                                id: resolutionText
                                objectName: "resolutionText"
                                text: Math.round(nerev.widthIndex * ratioSlider.value / 100) + " * "
                                      + Math.round(nerev.heightIndex * ratioSlider.value / 100)
                                color: Theme.dimText
                                font.pixelSize: 16
                                font.bold: true
                            }
                            Text {
                                anchors.right: parent.right
                                text: Math.round(ratioSlider.value) + "%"
                                color: Theme.dimText
                                font.pixelSize: 16
                                font.bold: true
                            }
                        }
                    }
                    Column {
                        width: parent.width
                        spacing: 10
                        Text {
                            width: parent.width
                            text: qsTr("码率")
                            color: Theme.text
                            wrapMode: Text.Wrap
                            font.pixelSize: 18
                        }
                        QualitySlider {
                            id: bitRateSlider
                            objectName: "bitRateSlider"
                            from: settingPage.bitRateRange.from
                            to: settingPage.bitRateRange.to
                            stepSize: settingPage.bitRateRange.step
                            marker: settingPage.bitRateRange.marker
                            value: nerev.bitRate
                        }
                        Item {
                            width: bitRateSlider.width
                            height: bitRateText.height
                            Text {
                                id: bitRateText
                                objectName: "bitRateText"
                                anchors.right: parent.right
                                text: Math.round(bitRateSlider.value) + "Mbps"
                                color: Theme.dimText
                                font.pixelSize: 16
                                font.bold: true
                            }
                        }
                    }
                }
            }
        }

        SettingRow {
            label: qsTr("帧率")

            Row {
                spacing: 8
                Repeater {
                    model: ["72Hz", "90Hz"]
                    NerevButton {
                        objectName: "fps_" + index
                        minimumWidth: 134
                        minimumHeight: 42
                        color: settingPage.chosenFps === index ? Theme.choiceOn : Theme.choiceOff
                        pixelSize: Theme.textBody
                        text: modelData
                        onClicked: settingPage.chosenFps = index
                    }
                }
            }
        }

        Column {
            spacing: 8

            Text {
                text: qsTr("视频编码方式")
                color: Theme.text
                font.pixelSize: 20
            }
            Rectangle {
                objectName: "codecSection"
                width: 744
                height: codecColumn.height + 32
                radius: 12
                color: Theme.field

                Column {
                    id: codecColumn
                    x: 16
                    y: 16
                    width: 712
                    spacing: 10

                    Row {
                        spacing: (712 - settingPage.codecNames.length * settingPage.codecButtonWidth)
                                 / Math.max(1, settingPage.codecNames.length - 1)
                        Repeater {
                            model: settingPage.codecNames
                            NerevButton {
                                objectName: "codec_" + index
                                minimumWidth: settingPage.codecButtonWidth
                                width: settingPage.codecButtonWidth
                                minimumHeight: 42
                                color: settingPage.chosenCodec === index ? Theme.choiceOn : Theme.choiceOff
                                pixelSize: 18
                                text: modelData
                                onClicked: settingPage.chosenCodec = index
                            }
                        }
                    }
                    Row {
                        objectName: "av1Note"
                        spacing: 8
                        visible: nerev.AV1available
                        Image {
                            width: 24
                            height: 24
                            source: "qrc:/res/image/nerev_tips.png"
                        }
                        Text {
                            width: 712 - 32
                            text: qsTr("AV1编码方式仅MR支持")
                            color: Theme.secondaryText
                            wrapMode: Text.Wrap
                            font.pixelSize: 18
                        }
                    }
                }
            }
        }

        SettingRow {
            label: qsTr("麦克风串流")
            controlMargin: 20

            Rectangle {
                objectName: "micSwitch"
                width: 44
                height: 28
                radius: 14
                color: settingPage.micOn ? Theme.dialogButton : Theme.none
                border.width: settingPage.micOn ? 0 : 3
                border.color: Theme.white

                Rectangle {
                    x: settingPage.micOn ? 26 : 10
                    anchors.verticalCenter: parent.verticalCenter
                    width: 12
                    height: 12
                    radius: 6
                    color: Theme.white
                }
                MouseArea {
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: settingPage.toggleMicrophone()
                }
            }
        }

        NerevButton {
            objectName: "applyButton"
            minimumWidth: 744
            bold: true
            text: qsTr("应用并重启")
            onClicked: settingPage.apply()
        }
    }
}
