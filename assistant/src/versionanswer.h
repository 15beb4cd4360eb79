#pragma once

#include <QByteArray>
#include <QString>

// The cloud's answer to the version check, read without the network parts so
// the fuzz target reads it the way NerevUpdate does.
struct VersionAnswer {
    enum Verdict {
        Damaged,      // not JSON: "json parseError"
        Refused,      // "errCode" missing or not 0: "check version: " and the answer
        NoData,       // success without a "data" object
        NotNewer,     // the offered version is not newer than `current`
        BadAddress,   // newer, but the installer address is no http(s) address
        Offer         // newer, with an installer to download
    };
    Verdict verdict = Damaged;
    QString logLine;        // what to log for Damaged, Refused and BadAddress
    QString version;
    QString note;           // with its "/n" markers turned into "<br>"
    QString url;
    QString installerName;  // file name of the installer inside the download folder
    bool forced = false;

    static VersionAnswer read(const QByteArray &body, const QString &current);

    // True when the offered version is newer than the current one; both are
    // dot-separated integers and at least three parts are compared.
    static bool isNewer(const QString &current, const QString &offered);
    // Installer file name taken from a download address.
    static QString installerFileName(const QString &url);
    // The release note with its "/n" markers turned into line breaks.
    static QString noteText(QString note);
};
