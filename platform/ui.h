// The window, its menu, status bar and controls, addressed by the ids the program
// gives them. Implemented over Qt Widgets in zirf_platform_ui; nothing here names a
// toolkit type, so the program's logic never sees one.
#pragma once

#include <QString>
#include <cstdint>

// Starts the toolkit. False, after one line on stderr, when no display can be opened.
bool InitPlatform(int &argc, char **argv);

// Releases the window, its controls and every image, and ends the process.
[[noreturn]] void EndProcess(int exitCode);

// The main window: inner size including the menu bar, centred on the primary screen.
void OpenMainWindow(const QString &title, int innerWidth, int innerHeight);
void SetWindowMinimumSize(int width, int height);
void EnableFileDrops();
void ShowMainWindow();
QString WindowTitle();

// The menu bar, built in order: a title, then its items and separators.
void AddMenuTitle(const QString &title);
void AddMenuItem(int id, const QString &text); // text may hold "\t" and the shortcut's text
void AddMenuSeparator();
void AddShortcut(int id, const QString &keys); // keys as "Ctrl+O"; delivered as menu event id

// The status bar: field 0 takes what field 1 (fixed width) leaves.
void CreateStatusBar(int lastFieldWidth);
void SetStatusText(int field, const QString &text); // centred
QString StatusText(int field);

// W, H and S: the client area below the menu bar (status bar included) and the status bar's height.
int ClientWidth();
int ClientHeight();
int StatusBarHeight();

// Controls, with positions measured from the top left of the client area.
void CreateLabel(int id, int x, int y, int width, int height, const QString &text);
void CreateCombo(int id, int x, int y, int width, int height);
void AddComboItem(int id, const QString &text);
void SetComboSelection(int id, int index); // produces no event
int ComboSelection(int id);
void CreateButton(int id, int x, int y, int width, int height, const QString &text);
void CreateScroller(int id, int x, int y, int width, int height, int scrollStep);
void CreateCanvas(int id, int scrollerId, int width, int height);
void FillCanvas(int id, int32_t colour);
void SetScrollerBackground(int id, int32_t colour);

void EnableControl(int id, bool enabled);
bool ControlEnabled(int id);
void MoveControl(int id, int x, int y);
void ResizeControl(int id, int width, int height);
int ControlX(int id);
int ControlY(int id);
int ControlWidth(int id);
int ControlHeight(int id);
void FocusControl(int id);
bool ControlHasFocus(int id);

// The scroller's inner area, which the canvas fills.
int ScrollerInnerWidth(int id);
int ScrollerInnerHeight(int id);
void SetScrollerInnerWidth(int id, int width);
void SetScrollerInnerHeight(int id, int height);

// From now on the canvas paints the image that slot holds at this moment, at zoom;
// it keeps that image even if the slot is replaced, until the next call.
void ShowPicture(int canvasId, int slot, int zoom);
