// Starting and ending the toolkit, and the wheel, which the whole window hands to the loop.
#include "platform/events.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"

#include <QApplication>
#include <QMainWindow>
#include <QWheelEvent>
#include <cstdio>
#include <cstdlib>

namespace {

QApplication *application = nullptr;
bool starting = false; // true while the toolkit connects to the display

// Every wheel message aimed at the main window or one of its controls becomes one
// wheel event and goes no further, so neither the scroll area nor the combo box moves.
// Wheel input in dialogs (other windows) is theirs.
class WheelFilter : public QObject {
protected:
  bool eventFilter(QObject *object, QEvent *event) override {
    if (event->type() != QEvent::Wheel || !object->isWidgetType())
      return false;
    QWidget *widget = static_cast<QWidget *>(object);
    if (!MainWindowWidget() || widget->window() != MainWindowWidget())
      return false;
    Event wheel;
    wheel.kind = WheelEvent;
    wheel.rotation = static_cast<QWheelEvent *>(event)->angleDelta().y();
    PostEvent(wheel);
    return true;
  }
};

void PreviousHandlerOrDefault(QtMsgType type, const QMessageLogContext &context, const QString &message);
QtMessageHandler previousHandler = nullptr;

// Qt ends the process with a fatal message when it cannot reach the display; say so
// in one line instead of aborting with a core dump.
void MessageHandler(QtMsgType type, const QMessageLogContext &context, const QString &message) {
  if (starting && type == QtFatalMsg) {
    std::fprintf(stderr, "zirf: cannot open a display: %s\n", qPrintable(message.section('\n', 0, 0)));
    std::_Exit(2);
  }
  if (starting && type == QtWarningMsg)
    return; // the fatal message that follows says what went wrong
  PreviousHandlerOrDefault(type, context, message);
}

void PreviousHandlerOrDefault(QtMsgType type, const QMessageLogContext &context, const QString &message) {
  if (previousHandler)
    previousHandler(type, context, message);
}

} // namespace

bool InitPlatform(int &argc, char **argv) {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if ((platform.isEmpty() || platform.startsWith("xcb")) && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
    std::fprintf(stderr, "zirf: cannot open a display: neither DISPLAY nor WAYLAND_DISPLAY is set\n");
    return false;
  }
  previousHandler = qInstallMessageHandler(MessageHandler);
  starting = true;
  application = new QApplication(argc, argv);
  starting = false;
  QApplication::setApplicationName("zirf");
  auto *wheelFilter = new WheelFilter;
  wheelFilter->setParent(application); // deleted with the application when the process ends
  application->installEventFilter(wheelFilter);
  return true;
}

void EndProcess(int exitCode) {
  FreeAllImages();
  delete MainWindowWidget();
  delete application;
  std::exit(exitCode);
}
