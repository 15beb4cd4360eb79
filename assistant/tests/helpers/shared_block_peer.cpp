// Plays the streamer's side of the shared block for the tests:
//   shared_block_peer BLOCK MUTEX write VALUE   writes VALUE (flag 1)
//   shared_block_peer BLOCK MUTEX read          prints the value or "none"
// Exit code 1 when the block cannot be opened.
#include "sharedmemorychannel.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QTextStream out(stdout);
    if (args.size() < 4)
        return 2;
    SharedMemoryChannel channel(args[1], args[2]);
    if (!channel.open())
        return 1;
    if (args[3] == QLatin1String("write") && args.size() > 4) {
        channel.writeValue(args[4].toUInt());
        out << "written\n";
    } else {
        quint32 value = 0;
        if (channel.readValue(value))
            out << value << "\n";
        else
            out << "none\n";
    }
    return 0;
}
