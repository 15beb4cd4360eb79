import QtQuick 2.15

// Stand-in of what the cards and dialogs use of the main window: toasts,
// sub windows and closing; each call is recorded.
QtObject {
    property var toasts: []
    property var openedPages: []
    property var openedProperties: []
    property int closeCount: 0

    function showToast(text, duration) {
        var list = toasts.slice()
        list.push(text)
        toasts = list
    }
    function openSubWin(url, properties) {
        openedPages = openedPages.concat([url])
        openedProperties = openedProperties.concat([properties || {}])
    }
    function close() {
        closeCount += 1
    }
    function reset() {
        toasts = []
        openedPages = []
        openedProperties = []
        closeCount = 0
    }
}
