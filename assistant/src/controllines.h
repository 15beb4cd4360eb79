#pragma once

#include "hmdinfo.h"

#include <QString>
#include <QVector>

#include <string>

// The text of the streamer's lines on the control socket, apart from any
// socket: a line is COMMAND or COMMAND, TAB, ARGUMENT; "HMDINFOBACK" carries
// the headset list "deviceId:ID~name;ip;connected;x~...".
namespace ControlLines {

// Splits a received line at its first TAB into command and argument.
void splitLine(const std::string &line, std::string &command, std::string &argument);

// Parses the argument of "HMDINFOBACK" (UTF-8): the headset entries in
// message order; `deviceId` is set when the list names a non-empty one.
QVector<HmdInfo> parseHmdInfoList(const std::string &argument, QString *deviceId);

} // namespace ControlLines
