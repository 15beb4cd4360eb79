import QtQuick 2.15

// Stand-in of the update checker "nerevupdate".
QtObject {
    property bool setupResult: true
    property int setupCalls: 0

    signal updateSignal(string note, bool isForce)
    signal processStatus(real val)
    signal downExeFinish()

    function setup() {
        setupCalls += 1
        return setupResult
    }
    function version() {
        return "v1.1.16"
    }
}
