// The main window, menu bar, status bar and the plain controls.
#include "platform/events.h"
#include "platform/imagelib.h"
#include "platform/ui.h"
#include "platform/ui_widgets.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QUrl>
#include <map>

namespace {

// Reports closing, resizing and dropped files as events instead of acting on them.
class MainWindow : public QMainWindow {
protected:
  void closeEvent(QCloseEvent *event) override {
    event->ignore();
    Event close;
    close.kind = CloseEvent;
    PostEvent(close);
  }
  void resizeEvent(QResizeEvent *event) override {
    QMainWindow::resizeEvent(event);
    PostSizeEvent();
  }
  void changeEvent(QEvent *event) override {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
      PostSizeEvent();
  }
  void dragEnterEvent(QDragEnterEvent *event) override {
    if (!DroppedPaths(event->mimeData()).isEmpty())
      event->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent *event) override {
    if (!DroppedPaths(event->mimeData()).isEmpty())
      event->acceptProposedAction();
  }
  void dropEvent(QDropEvent *event) override {
    const QString paths = DroppedPaths(event->mimeData());
    if (paths.isEmpty())
      return;
    event->acceptProposedAction();
    Event drop;
    drop.kind = DropEvent;
    drop.dropKind = DropFiles;
    drop.files = paths;
    PostEvent(drop);
  }

private:
  void PostSizeEvent() {
    if (isMinimized())
      return;
    Event size;
    size.kind = SizeEvent;
    PostEvent(size);
  }
  // The local file paths of a drop, separated by the character with code 10; empty
  // when the drop is not a list of local files.
  static QString DroppedPaths(const QMimeData *data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty())
      return QString();
    QStringList paths;
    for (const QUrl &url : data->urls()) {
      if (!url.isLocalFile())
        return QString();
      paths << url.toLocalFile();
    }
    return paths.join(QChar(10));
  }
};

// A combo box style with a narrow arrow and thin margins, so that the text gets most
// of a small box.
class NarrowComboStyle : public QProxyStyle {
public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl part,
                       const QWidget *widget) const override {
    if (control != CC_ComboBox)
      return QProxyStyle::subControlRect(control, option, part, widget);
    const QRect box = option->rect;
    const int arrowWidth = 14;
    if (part == SC_ComboBoxArrow)
      return QRect(box.right() - arrowWidth, box.top(), arrowWidth, box.height());
    if (part == SC_ComboBoxEditField)
      return QRect(box.left() + 3, box.top() + 1, box.width() - arrowWidth - 4, box.height() - 2);
    return QProxyStyle::subControlRect(control, option, part, widget);
  }
};

MainWindow *mainWindow = nullptr;
QWidget *client = nullptr;          // central widget: the controls' parent
QMenu *currentMenu = nullptr;       // the menu that AddMenuItem adds to
QLabel *statusFields[2] = {};       // field 0 and field 1 of the status bar
std::map<int, QWidget *> controls;  // control id -> widget
std::map<int, QAction *> menuItems; // menu item id -> action

void PostGadget(int id, int type) {
  Event gadget;
  gadget.kind = GadgetEvent;
  gadget.sourceId = id;
  gadget.type = type;
  PostEvent(gadget);
}

void SettleLayout() {
  if (mainWindow && mainWindow->layout())
    mainWindow->layout()->activate();
}

QWidget *Place(int id, QWidget *widget, int x, int y, int width, int height) {
  widget->setGeometry(x, y, width, height);
  widget->show();
  RegisterControl(id, widget);
  return widget;
}

} // namespace

QMainWindow *MainWindowWidget() { return mainWindow; }
QWidget *ClientWidget() { return client; }

QWidget *ControlWidget(int id) {
  auto it = controls.find(id);
  return it == controls.end() ? nullptr : it->second;
}

void RegisterControl(int id, QWidget *widget) { controls[id] = widget; }

void OpenMainWindow(const QString &title, int innerWidth, int innerHeight) {
  mainWindow = new MainWindow;
  mainWindow->setWindowTitle(title);
  QIcon icon(":/zirf/icon.png");
  icon.addFile(":/zirf/icon-16.png");
  icon.addFile(":/zirf/icon-48.png");
  icon.addFile(":/zirf/icon-64.png");
  icon.addFile(":/zirf/icon-128.png");
  icon.addFile(":/zirf/icon-256.png");
  mainWindow->setWindowIcon(icon);
  client = new QWidget(mainWindow);
  mainWindow->setCentralWidget(client);
  mainWindow->resize(innerWidth, innerHeight);
  const QRect screen = QGuiApplication::primaryScreen()->geometry();
  mainWindow->move(screen.x() + (screen.width() - std::min(screen.width(), innerWidth)) / 2,
                   screen.y() + (screen.height() - std::min(screen.height(), innerHeight)) / 2);
}

void SetWindowMinimumSize(int width, int height) { mainWindow->setMinimumSize(width, height); }

void EnableFileDrops() { mainWindow->setAcceptDrops(true); }

void ShowMainWindow() {
  mainWindow->show();
  if (QGuiApplication::platformName() != "offscreen") // which cannot raise windows
    mainWindow->raise();
  mainWindow->activateWindow();
}

QString WindowTitle() { return mainWindow->windowTitle(); }

void AddMenuTitle(const QString &title) { currentMenu = mainWindow->menuBar()->addMenu(title); }

void AddMenuItem(int id, const QString &text) {
  QAction *action = currentMenu->addAction(text);
  QObject::connect(action, &QAction::triggered, [id] {
    Event menu;
    menu.kind = MenuEvent;
    menu.menuId = id;
    PostEvent(menu);
  });
  menuItems[id] = action;
}

void AddMenuSeparator() { currentMenu->addSeparator(); }

void AddShortcut(int id, const QString &keys) { menuItems.at(id)->setShortcut(QKeySequence(keys)); }

void CreateStatusBar(int lastFieldWidth) {
  QStatusBar *bar = mainWindow->statusBar();
  statusFields[0] = new QLabel;
  statusFields[1] = new QLabel;
  statusFields[1]->setFixedWidth(lastFieldWidth);
  for (QLabel *field : statusFields)
    field->setAlignment(Qt::AlignCenter);
  bar->addWidget(statusFields[0], 1);
  bar->addPermanentWidget(statusFields[1]);
}

void SetStatusText(int field, const QString &text) { statusFields[field]->setText(text); }

QString StatusText(int field) { return statusFields[field]->text(); }

int ClientWidth() {
  SettleLayout();
  return client->width();
}

int ClientHeight() {
  SettleLayout();
  return client->height() + StatusBarHeight();
}

int StatusBarHeight() {
  SettleLayout();
  return mainWindow->statusBar()->height();
}

void CreateLabel(int id, int x, int y, int width, int height, const QString &text) {
  auto *label = new QLabel(text, client);
  label->setAlignment(Qt::AlignCenter);
  Place(id, label, x, y, width, height);
}

void CreateCombo(int id, int x, int y, int width, int height) {
  auto *combo = new QComboBox(client);
  combo->setEditable(false);
  // The box is only 120 pixels wide: narrow margins let "16x16 Grid (default)" fit.
  // setStyle does not take the style over: as a child it goes with the box.
  auto *style = new NarrowComboStyle;
  style->setParent(combo);
  combo->setStyle(style);
  QFont font = combo->font();
  font.setPointSizeF(font.pointSizeF() * 0.8);
  combo->setFont(font);
  QObject::connect(combo, &QComboBox::currentIndexChanged, [id] { PostGadget(id, GadgetSelectionChanged); });
  Place(id, combo, x, y, width, height);
}

void AddComboItem(int id, const QString &text) {
  auto *combo = static_cast<QComboBox *>(ControlWidget(id));
  const QSignalBlocker quiet(combo);
  combo->addItem(text);
}

void SetComboSelection(int id, int index) {
  auto *combo = static_cast<QComboBox *>(ControlWidget(id));
  const QSignalBlocker quiet(combo);
  combo->setCurrentIndex(index);
}

int ComboSelection(int id) { return static_cast<QComboBox *>(ControlWidget(id))->currentIndex(); }

void CreateButton(int id, int x, int y, int width, int height, const QString &text) {
  auto *button = new QPushButton(text, client);
  QObject::connect(button, &QPushButton::clicked, [id] { PostGadget(id, GadgetClicked); });
  Place(id, button, x, y, width, height);
}

void CreateScroller(int id, int x, int y, int width, int height, int scrollStep) {
  auto *scroller = new QScrollArea(client);
  scroller->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  scroller->setAlignment(Qt::AlignCenter);
  scroller->setWidgetResizable(false);
  scroller->horizontalScrollBar()->setSingleStep(scrollStep);
  scroller->verticalScrollBar()->setSingleStep(scrollStep);
  Place(id, scroller, x, y, width, height);
}

void CreateCanvas(int id, int scrollerId, int width, int height) {
  auto *scroller = static_cast<QScrollArea *>(ControlWidget(scrollerId));
  QWidget *canvas = NewCanvasWidget(id, nullptr);
  canvas->resize(width, height);
  scroller->setWidget(canvas);
  RegisterControl(id, canvas);
}

void FillCanvas(int id, int32_t colour) { SetCanvasFill(ControlWidget(id), colour); }

void SetScrollerBackground(int id, int32_t colour) {
  auto *scroller = static_cast<QScrollArea *>(ControlWidget(id));
  QPalette palette = scroller->viewport()->palette();
  const QColor background(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Base, background);
  scroller->viewport()->setPalette(palette);
  scroller->viewport()->setBackgroundRole(QPalette::Window);
  scroller->viewport()->setAutoFillBackground(true);
}

void EnableControl(int id, bool enabled) { ControlWidget(id)->setEnabled(enabled); }
bool ControlEnabled(int id) { return ControlWidget(id)->isEnabled(); }
void MoveControl(int id, int x, int y) { ControlWidget(id)->move(x, y); }
void ResizeControl(int id, int width, int height) { ControlWidget(id)->resize(width, height); }
int ControlX(int id) { return ControlWidget(id)->x(); }
int ControlY(int id) { return ControlWidget(id)->y(); }
int ControlWidth(int id) { return ControlWidget(id)->width(); }
int ControlHeight(int id) { return ControlWidget(id)->height(); }
void FocusControl(int id) { ControlWidget(id)->setFocus(Qt::OtherFocusReason); }
bool ControlHasFocus(int id) { return mainWindow->focusWidget() == ControlWidget(id); }

static QWidget *InnerArea(int scrollerId) { return static_cast<QScrollArea *>(ControlWidget(scrollerId))->widget(); }

int ScrollerInnerWidth(int id) { return InnerArea(id)->width(); }
int ScrollerInnerHeight(int id) { return InnerArea(id)->height(); }
void SetScrollerInnerWidth(int id, int width) { InnerArea(id)->resize(width, InnerArea(id)->height()); }
void SetScrollerInnerHeight(int id, int height) { InnerArea(id)->resize(InnerArea(id)->width(), height); }

void ShowPicture(int canvasId, int slot, int zoom) { SetCanvasPicture(ControlWidget(canvasId), slot, zoom); }

void DestroyMainWindow() {
  delete mainWindow;
  mainWindow = nullptr;
  client = nullptr;
  currentMenu = nullptr;
  statusFields[0] = statusFields[1] = nullptr;
  controls.clear();
  menuItems.clear();
}
