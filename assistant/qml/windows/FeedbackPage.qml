import QtQuick 2.15
import NerevManager 1.0
import "../common"

// User feedback: a description of at most 200 characters and a contact of at
// most 20; both are required.
DialogWindow {
    id: feedbackPage

    readonly property int maxDescription: 200
    readonly property int maxContact: 20

    function limitDescription() {
        if (description.text.length <= maxDescription)
            return
        description.text = description.text.substring(0, maxDescription)
        description.cursorPosition = description.text.length
        host.showToast(qsTr("已达最大文字长度"))
    }

    function submit() {
        var content = nerev.trimmedString(description.text)
        var contact = nerev.trimmedString(contactInput.text)
        if (content === "" || contact === "") {
            host.showToast(qsTr("请填写完内容再提交!"))
            return
        }
        nerev.sendFeecback(content, contact)
        host.showToast(qsTr("提交成功!"))
        feedbackPage.close()
    }

    title: qsTr("用户反馈")
    designWidth: 620
    designHeight: 579
    contentHeight: column.y + column.height

    Column {
        id: column
        x: 30
        y: 40
        width: 560
        spacing: 24

        Rectangle {
            width: 560
            height: 208
            radius: 8
            color: Theme.field

            TextEdit {
                id: description
                objectName: "description"
                x: 16
                y: 16
                width: parent.width - 32
                height: parent.height - 16 - 40
                wrapMode: TextEdit.WrapAnywhere
                color: Theme.text
                selectByMouse: true
                clip: true
                font.pixelSize: 16
                onTextChanged: feedbackPage.limitDescription()
            }
            Text {
                x: 16
                y: 16
                width: parent.width - 32
                text: qsTr("问题描述")
                color: Theme.placeholderText
                wrapMode: Text.Wrap
                font.pixelSize: 16
                visible: description.text.length === 0 && !description.activeFocus
            }
            Text {
                objectName: "counter"
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 12
                text: description.text.length + "/" + feedbackPage.maxDescription
                color: Theme.placeholderText
                font.pixelSize: 16
            }
        }
        Rectangle {
            width: 560
            height: 54
            radius: 8
            color: Theme.field

            TextInput {
                id: contactInput
                objectName: "contact"
                x: 16
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 32
                maximumLength: feedbackPage.maxContact
                color: Theme.text
                selectByMouse: true
                clip: true
                font.pixelSize: 16
                onTextChanged: if (text.length >= feedbackPage.maxContact) host.showToast(qsTr("已达最大文字长度"))
            }
            Text {
                x: 16
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 32
                text: qsTr("联系方式：QQ/手机号")
                color: Theme.placeholderText
                elide: Text.ElideNone
                wrapMode: Text.Wrap
                font.pixelSize: 16
                visible: contactInput.text.length === 0 && !contactInput.activeFocus
            }
        }
        Text {
            width: parent.width
            text: qsTr("请务必填写真实联系方式，以方便技术支持人员为您解决问题")
            color: Theme.noteText
            wrapMode: Text.Wrap
            font.pixelSize: 16
        }
        NerevButton {
            objectName: "submitButton"
            minimumWidth: 560
            text: qsTr("提交")
            onClicked: feedbackPage.submit()
        }
    }
}
