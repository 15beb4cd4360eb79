import QtQuick 2.15
import QtTest 1.15
import "qrc:/qml"

// The feedback dialog: length limits, blanks, submission.
Item {
    id: root
    width: 200
    height: 200

    StandInNerev { id: nerev }
    StandInUpdate { id: nerevupdate }
    StandInMainWin { id: mainWin }

    PageTestCase {
        host: mainWin
        name: "FeedbackPage"
        when: windowShown

        property var page: null

        function init() {
            nerev.reset()
            mainWin.reset()
            page = load("qrc:/qml/windows/FeedbackPage.qml", root)
            page.show()
            tryVerify(function () { return page.visible })
        }
        function cleanup() {
            page.destroy()
            page = null
        }
        function repeat(text, count) {
            var out = ""
            for (var i = 0; i < count; ++i)
                out += text
            return out
        }

        function test_pastedDescriptionIsCutTo200() {
            var description = item(page, "description")
            var pasted = ""
            for (var i = 0; i < 250; ++i)
                pasted += String.fromCharCode(0x4e00 + i)
            description.insert(0, pasted)
            compare(description.text.length, 200)
            compare(description.text, pasted.substring(0, 200))
            compare(mainWin.toasts, ["已达最大文字长度"])
            compare(item(page, "counter").text, "200/200")
            description.remove(0, 10)
            compare(item(page, "counter").text, "190/200")
            compare(mainWin.toasts.length, 1, "no toast below the limit")
        }

        function test_typedDescriptionStopsAt200() {
            var description = item(page, "description")
            description.text = repeat("a", 199)
            compare(mainWin.toasts, [])
            description.insert(199, "b")
            compare(description.text.length, 200)
            compare(mainWin.toasts, [])
            description.insert(100, "c")
            compare(description.text, repeat("a", 100) + "c" + repeat("a", 99), "the end is cut")
            compare(description.text.length, 200)
            compare(mainWin.toasts, ["已达最大文字长度"])
        }

        function test_contactHolds20Characters() {
            var contact = item(page, "contact")
            compare(contact.maximumLength, 20)
            contact.insert(0, repeat("1", 19))
            compare(mainWin.toasts, [])
            contact.insert(19, "2")
            compare(contact.text, repeat("1", 19) + "2")
            compare(mainWin.toasts, ["已达最大文字长度"])
            contact.insert(20, "3")
            compare(contact.text, repeat("1", 19) + "2")
        }

        function test_blanksAreRefused_data() {
            return [
                { tag: "blank description", content: "   \n ", contact: "13800000000" },
                { tag: "blank contact", content: "the picture stutters", contact: "  " },
                { tag: "both empty", content: "", contact: "" }
            ]
        }
        function test_blanksAreRefused(data) {
            item(page, "description").text = data.content
            item(page, "contact").text = data.contact
            click(item(page, "submitButton"))
            compare(nerev.callsTo("sendFeecback").length, 0)
            compare(mainWin.toasts, ["请填写完内容再提交!"])
            verify(page.visible)
        }

        function test_submitSendsTrimmedTexts() {
            item(page, "description").text = "  the picture stutters \n"
            item(page, "contact").text = " qq 12345 "
            click(item(page, "submitButton"))
            compare(nerev.callsTo("sendFeecback").length, 1)
            compare(nerev.callsTo("sendFeecback")[0].args, ["the picture stutters", "qq 12345"])
            compare(mainWin.toasts, ["提交成功!"])
            verify(!page.visible)
        }
    }
}
