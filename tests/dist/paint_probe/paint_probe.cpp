// Loaded as the style of a program under test, it keeps the look of the Fusion style and writes
// the title of the first window that paints to the file BRINDLECOT_PAINT_PROBE names, so that a
// script outside the process can wait for the first paint instead of a fixed time.
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QFile>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStylePlugin>
#include <QWidget>

namespace {

class FirstPaintReporter : public QObject {
  public:
    explicit FirstPaintReporter(QObject* parent) : QObject(parent) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_reported && event->type() == QEvent::Paint) {
            auto* widget = qobject_cast<QWidget*>(watched);
            if (widget && widget->isWindow()) {
                m_reported = true;
                Report(widget->windowTitle());
            }
        }
        return false;
    }

  private:
    static void Report(const QString& title) {
        // Written to a temporary name and renamed, so the watcher never reads half a line.
        const QString path = qEnvironmentVariable("BRINDLECOT_PAINT_PROBE");
        if (path.isEmpty()) {
            return;
        }
        QFile file(path + QStringLiteral(".part"));
        if (file.open(QIODevice::WriteOnly)) {
            file.write(title.toUtf8() + '\n');
            file.close();
            QFile::rename(file.fileName(), path);
        }
    }

    bool m_reported = false;
};

}  // namespace

class PaintProbeStylePlugin : public QStylePlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QStyleFactoryInterface_iid FILE "paint_probe.json")

  public:
    QStyle* create(const QString& key) override {
        if (key.compare(QStringLiteral("paintprobe"), Qt::CaseInsensitive) != 0) {
            return nullptr;
        }
        if (QCoreApplication* app = QCoreApplication::instance()) {
            app->installEventFilter(new FirstPaintReporter(app));
        }
        return new QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    }
};

#include "paint_probe.moc"
