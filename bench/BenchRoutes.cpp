// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchRoutes.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QWidget>

#include <cmath>

namespace {

// Point i of the made-up route, in degrees. Steps of about 100 m east and 110 m north,
// turning back west every 8 points, so the overview is not one straight line.
void RoutePoint(int i, double& lat, double& lon) {
    const int leg = i / 8;
    const int along = (leg % 2 == 0) ? i % 8 : 7 - i % 8;
    lat = 48.0 + 0.001 * i;
    lon = 11.0 + 0.00135 * along + 0.0005 * leg;
}

QByteArray Number(double value) {
    return QByteArray::number(value, 'f', 6);
}

} // namespace

QByteArray MakeGpxRoute(int points) {
    QByteArray gpx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<gpx version=\"1.1\" creator=\"rv58route bench\" "
                     "xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                     "  <rte>\n    <name>BENCH</name>\n";
    for (int i = 0; i < points; ++i) {
        double lat = 0, lon = 0;
        RoutePoint(i, lat, lon);
        gpx += "    <rtept lat=\"" + Number(lat) + "\" lon=\"" + Number(lon) + "\"><name>P" +
               QByteArray::number(i + 1).rightJustified(3, '0') + "</name></rtept>\n";
    }
    gpx += "  </rte>\n</gpx>\n";
    return gpx;
}

QByteArray MakeRteRoute(int points) {
    QByteArray rte = "OziExplorer Route File Version 1.0\r\nWGS 84\r\nReserved 1\r\n"
                     "Reserved 2\r\nR,1,BENCH,,\r\n";
    for (int i = 0; i < points; ++i) {
        double lat = 0, lon = 0;
        RoutePoint(i, lat, lon);
        rte += "W,1,," + QByteArray::number(i + 1) + ",P" +
               QByteArray::number(i + 1).rightJustified(3, '0') + "," + Number(lat) + "," +
               Number(lon) + ",," + QByteArray::number(i % 45) + ",1,3,0,65535,,0,0\r\n";
    }
    return rte;
}

bool WriteGpxTrack(const QString& path, int points) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray chunk = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<gpx version=\"1.1\" creator=\"rv58route bench\" "
                       "xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                       "  <trk><name>Recorded, long</name><trkseg>\n";
    const QDateTime start(QDate(2023, 5, 1), QTime(10, 0), Qt::UTC);
    for (int i = 0; i < points; ++i) {
        const double lat = 47.0 + i * 1e-5 + 0.0003 * std::sin(i / 50.0);
        const double lon = 8.0 + i * 1.3e-5 + 0.0003 * std::cos(i / 37.0);
        chunk += "    <trkpt lat=\"" + QByteArray::number(lat, 'f', 7) + "\" lon=\"" +
                 QByteArray::number(lon, 'f', 7) + "\"><ele>" + QByteArray::number(500 + i % 100) +
                 "</ele><time>" + start.addSecs(i).toString(Qt::ISODate).toLatin1() +
                 "</time></trkpt>\n";
        if (chunk.size() > (1 << 20)) {
            if (file.write(chunk) != chunk.size())
                return false;
            chunk.clear();
        }
    }
    chunk += "  </trkseg></trk>\n</gpx>\n";
    return file.write(chunk) == chunk.size() && file.flush();
}

bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size() && file.flush();
}

namespace {

// Ends `loop` once a paint event reaches the watched window. The quit takes effect when
// control is back in the loop, that is after the whole paint pass and its flush.
class PaintWatcher : public QObject {
public:
    PaintWatcher(QWidget* window, QEventLoop& loop) : m_window(window), m_loop(loop) {}
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget == m_window || m_window->isAncestorOf(widget)) {
                painted = true;
                m_loop.quit();
            }
        }
        return false;
    }

private:
    QWidget* m_window;
    QEventLoop& m_loop;
};

} // namespace

bool WaitForPaint(QWidget* widget, int timeoutMs) {
    QEventLoop loop;
    PaintWatcher watcher(widget, loop);
    QCoreApplication::instance()->installEventFilter(&watcher);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(&watcher);
    return watcher.painted;
}
