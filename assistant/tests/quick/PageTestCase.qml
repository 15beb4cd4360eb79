import QtQuick 2.15
import QtTest 1.15

// TestCase with the helpers of the page tests.
TestCase {
    property real lastClick: 0
    // The stand-in main window handed to the pages loaded (none: not set).
    property var host: null

    // Loads a page from the program's resources as a child of `parent`.
    function load(url, parent, properties) {
        var component = Qt.createComponent(url)
        compare(component.status, Component.Ready, component.errorString())
        var initial = properties || {}
        if (host)
            initial.host = host
        var object = component.createObject(parent, initial)
        verify(object, "cannot create " + url)
        return object
    }

    // The item named `name` below `from` (a window's content or an item).
    function item(from, name) {
        var found = findChild(from.contentItem !== undefined ? from.contentItem : from, name)
        verify(found, "no item " + name)
        return found
    }

    // A click; two clicks closer than the double-click interval would make
    // the second one part of a double click.
    function click(target) {
        var gap = Date.now() - lastClick
        var needed = Qt.styleHints.mouseDoubleClickInterval + 20
        if (gap < needed)
            wait(needed - gap)
        // Positioners place their children when they are polished.
        for (var p = target; p; p = p.parent)
            waitForItemPolished(p)
        mouseClick(target)
        lastClick = Date.now()
    }
}
