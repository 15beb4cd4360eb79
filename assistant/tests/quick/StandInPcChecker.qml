import QtQuick 2.15

// Stand-in of the checker "pcchecker": its rows as a ListModel the test fills
// (the checker's roles), checking and anyFailed as plain values, its signals,
// and invokables that record each call and answer what the test prepared.
QtObject {
    property var calls: []
    property bool checking: false
    property bool anyFailed: false
    property ListModel rows: ListModel {}
    // Answers of fixConfirmation(): row id -> question.
    property var confirmations: ({})

    signal fixFinished(string id, bool ok, string message)
    signal reportSaved(string path)
    signal reportFailed(string reason)

    function reset() {
        checking = false
        anyFailed = false
        rows.clear()
        confirmations = ({})
        calls = []
    }
    // Rows as the checker's model holds them: rowId, title, state, sentence, fixLabel, busy.
    function setRows(list) {
        rows.clear()
        for (var i = 0; i < list.length; ++i)
            rows.append(list[i])
    }
    function record(name, args) {
        calls = calls.concat([{ name: name, args: Array.prototype.slice.call(args) }])
    }
    function callsTo(name) {
        return calls.filter(function (c) { return c.name === name })
    }

    function checkAll() { record("checkAll", arguments) }
    function check(id) { record("check", arguments) }
    function fixConfirmation(id) { record("fixConfirmation", arguments); return confirmations[id] || "" }
    function applyFix(id, confirmed) { record("applyFix", arguments) }
    function saveSupportReport() { record("saveSupportReport", arguments) }
}
