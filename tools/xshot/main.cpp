// xshot: what the demo's scenarios need from the X screen, with nothing but Xlib.
//
//   xshot probe                         exit 0 when $DISPLAY can be opened
//   xshot grab FILE.png [WINDOW]        save the screen (or the part a window covers) as PNG
//   xshot close WINDOW                  send WM_DELETE_WINDOW, as a window manager's close does
//   xshot color X Y                     print the colour of a screen pixel as #RRGGBB
//   xshot find COLOR [X Y W H] [--tolerance N] [--min N]
//                                       print the areas of that colour (connected pixels whose
//                                       channels differ by at most N, default 8), biggest first,
//                                       one "x y w h pixels" line each; areas under --min pixels
//                                       (default 20) are left out; exit 1 when there is none
// WINDOW is an X window id in decimal or 0x hexadecimal (xdotool prints decimal).
// Qt before Xlib: Xlib defines macros (Bool, Status, ...) that Qt's headers use as names.
#include <QColor>
#include <QImage>
#include <QRect>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: xshot probe | grab FILE [WINDOW] | close WINDOW | color X Y | "
                         "find COLOR [X Y W H] [--tolerance N] [--min N]\n");
    return 2;
}

Window windowArgument(const char *text)
{
    return static_cast<Window>(std::strtoul(text, nullptr, 0));
}

// Position of a channel mask's lowest bit and its width, to scale it to 8 bits.
void maskShape(unsigned long mask, int &shift, int &bits)
{
    shift = 0;
    bits = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
}

int channel(unsigned long pixel, int shift, int bits)
{
    if (bits == 0)
        return 0;
    const unsigned long value = (pixel >> shift) & ((1ul << bits) - 1);
    return bits >= 8 ? static_cast<int>(value >> (bits - 8)) : static_cast<int>(value * 255 / ((1ul << bits) - 1));
}

// The screen's pixels inside `area` (clipped to the screen) as an RGB image.
QImage grabScreen(Display *display, QRect area)
{
    const int screen = DefaultScreen(display);
    const QRect whole(0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen));
    area = area.isNull() ? whole : area.intersected(whole);
    if (area.isEmpty())
        return QImage();
    XImage *shot = XGetImage(display, RootWindow(display, screen), area.x(), area.y(), static_cast<unsigned>(area.width()),
                             static_cast<unsigned>(area.height()), AllPlanes, ZPixmap);
    if (!shot)
        return QImage();
    int rs, rb, gs, gb, bs, bb;
    maskShape(shot->red_mask, rs, rb);
    maskShape(shot->green_mask, gs, gb);
    maskShape(shot->blue_mask, bs, bb);
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x) {
            const unsigned long pixel = XGetPixel(shot, x, y);
            line[x] = qRgb(channel(pixel, rs, rb), channel(pixel, gs, gb), channel(pixel, bs, bb));
        }
    }
    XDestroyImage(shot);
    return image;
}

// Where a window lies on the screen; null when it does not exist.
QRect windowArea(Display *display, Window window)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return QRect();
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    return QRect(x, y, attributes.width, attributes.height);
}

int grab(Display *display, int argc, char **argv)
{
    if (argc < 3)
        return usage();
    QRect area;
    if (argc > 3) {
        area = windowArea(display, windowArgument(argv[3]));
        if (area.isNull()) {
            std::fprintf(stderr, "xshot: no window %s\n", argv[3]);
            return 1;
        }
    }
    const QImage image = grabScreen(display, area);
    if (image.isNull() || !image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "xshot: could not save %s\n", argv[2]);
        return 1;
    }
    return 0;
}

int closeWindow(Display *display, int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const Window window = windowArgument(argv[2]);
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    if (!XSendEvent(display, window, False, NoEventMask, &event))
        return 1;
    XSync(display, False);
    return 0;
}

int color(Display *display, int argc, char **argv)
{
    if (argc < 4)
        return usage();
    const QImage pixel = grabScreen(display, QRect(std::atoi(argv[2]), std::atoi(argv[3]), 1, 1));
    if (pixel.isNull())
        return 1;
    std::printf("%s\n", QColor(pixel.pixel(0, 0)).name().toUpper().toLatin1().constData());
    return 0;
}

struct Area {
    QRect box;
    int pixels = 0;
};

int find(Display *display, int argc, char **argv)
{
    if (argc < 3)
        return usage();
    const QColor wanted(QString::fromLatin1(argv[2]));
    if (!wanted.isValid()) {
        std::fprintf(stderr, "xshot: not a colour: %s\n", argv[2]);
        return 2;
    }
    int tolerance = 8;
    int minimum = 20;
    std::vector<int> numbers;
    for (int i = 3; i < argc; ++i) {
        if (std::strcmp(argv[i], "--tolerance") == 0 && i + 1 < argc)
            tolerance = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--min") == 0 && i + 1 < argc)
            minimum = std::atoi(argv[++i]);
        else
            numbers.push_back(std::atoi(argv[i]));
    }
    QRect region;
    if (numbers.size() == 4)
        region = QRect(numbers[0], numbers[1], numbers[2], numbers[3]);
    else if (!numbers.empty())
        return usage();
    const QImage image = grabScreen(display, region);
    if (image.isNull())
        return 1;
    const QPoint origin = region.isNull() ? QPoint(0, 0) : region.topLeft();
    const int width = image.width();
    const int height = image.height();
    auto matches = [&](int x, int y) {
        const QRgb p = image.pixel(x, y);
        return std::abs(qRed(p) - wanted.red()) <= tolerance && std::abs(qGreen(p) - wanted.green()) <= tolerance
            && std::abs(qBlue(p) - wanted.blue()) <= tolerance;
    };
    std::vector<char> seen(static_cast<size_t>(width) * height, 0);
    std::vector<Area> areas;
    std::vector<int> stack;
    for (int start = 0; start < width * height; ++start) {
        if (seen[start] || !matches(start % width, start / width))
            continue;
        Area area;
        int left = width, top = height, right = -1, bottom = -1;
        stack.assign(1, start);
        seen[start] = 1;
        while (!stack.empty()) {
            const int at = stack.back();
            stack.pop_back();
            const int x = at % width, y = at / width;
            ++area.pixels;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
            const int next[4][2] = { { x - 1, y }, { x + 1, y }, { x, y - 1 }, { x, y + 1 } };
            for (const auto &n : next) {
                if (n[0] < 0 || n[1] < 0 || n[0] >= width || n[1] >= height)
                    continue;
                const int index = n[1] * width + n[0];
                if (!seen[index] && matches(n[0], n[1])) {
                    seen[index] = 1;
                    stack.push_back(index);
                }
            }
        }
        area.box = QRect(QPoint(left, top) + origin, QPoint(right, bottom) + origin);
        if (area.pixels >= minimum)
            areas.push_back(area);
    }
    std::sort(areas.begin(), areas.end(), [](const Area &a, const Area &b) { return a.pixels > b.pixels; });
    for (const Area &area : areas)
        std::printf("%d %d %d %d %d\n", area.box.x(), area.box.y(), area.box.width(), area.box.height(), area.pixels);
    return areas.empty() ? 1 : 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return usage();
    const std::string command = argv[1];
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        if (command != "probe")
            std::fprintf(stderr, "xshot: cannot open display \"%s\"\n", XDisplayName(nullptr));
        return 1;
    }
    int result = 2;
    if (command == "probe")
        result = 0;
    else if (command == "grab")
        result = grab(display, argc, argv);
    else if (command == "close")
        result = closeWindow(display, argc, argv);
    else if (command == "color")
        result = color(display, argc, argv);
    else if (command == "find")
        result = find(display, argc, argv);
    else
        usage();
    XCloseDisplay(display);
    return result;
}
