#pragma once

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTextEdit;
class QTimer;
class QWidget;

namespace vexo {

class ServerGrid;
class StatusBar;
class WindowTimer;

// Every widget, menu and timer of the main window, by designer name.
struct MainWindowControls {
    QTabWidget* Tabs = nullptr;
    StatusBar* StatusB = nullptr;

    // Tab "Дешифратор"
    QWidget* TabSheet1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Add = nullptr;
    QPushButton* Delet = nullptr;
    QPushButton* Delone = nullptr;
    QPushButton* Proced = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* SiteOpen = nullptr;
    QCheckBox* AutoJoin = nullptr; // `auto`
    QCheckBox* AutoDelete = nullptr;
    QCheckBox* Autoopen = nullptr;
    QPushButton* FullGo = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* TFolder = nullptr;
    QPushButton* Button7 = nullptr;
    QListWidget* List = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;

    // Tab "Downloader"
    QWidget* TabSheet2 = nullptr;
    QPushButton* GetList = nullptr;
    QPushButton* Settings = nullptr;
    QCheckBox* AutoO = nullptr;
    QLineEdit* aosec = nullptr;
    QLabel* Label2 = nullptr;
    ServerGrid* filesl = nullptr;
    QLabel* filenamedown = nullptr;
    QLabel* Statusdown = nullptr;
    QProgressBar* ProgressBar3 = nullptr;

    // Tab "Управление закачкой": holds the web view `WebBrow` once shown
    QWidget* TabSheet3 = nullptr;

    // Tab "О программе"
    QWidget* NewsSheet = nullptr;
    QTextEdit* Memo2 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QWidget* WebNewsHolder = nullptr; // holds the web view `WebNews` once shown
    QPushButton* More = nullptr;

    // Hidden tab "Downloader"
    QWidget* TabSheet4 = nullptr;
    QLineEdit* Urlstr = nullptr;
    QPushButton* Download = nullptr;
    QWidget* DelwebHolder = nullptr; // holds the web view `delweb` once created

    // Context menu of the list
    QMenu* PopupMenu1 = nullptr;
    QAction* Delete1 = nullptr;
    QAction* realnam = nullptr;
    QAction* Sizef = nullptr;
    QAction* Key = nullptr;

    // Tray icon and its menu
    QSystemTrayIcon* Tray = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* N5 = nullptr;
    QAction* N2 = nullptr;
    QAction* N4 = nullptr;
    QAction* N3 = nullptr;

    // Timers
    WindowTimer* Timer = nullptr;
    WindowTimer* Timer1 = nullptr;
    WindowTimer* Bigtimer = nullptr;
};

} // namespace vexo
