// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QAction;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMainWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QWidget;

namespace vexo {

class ArrivalNotice;
class ServerGrid;
class StatusBar;
class TrayIcon;
class WindowTimer;

// Every widget, menu and timer of the main window.
struct MainWindowControls {
    QMainWindow* window = nullptr;
    QTabWidget* tabs = nullptr;
    StatusBar* statusBar = nullptr;

    // Tab "Дешифратор"
    QWidget* decoderTab = nullptr;
    QGroupBox* decoderCommands = nullptr;
    QPushButton* addAllButton = nullptr;      // "Добавить всё"
    QPushButton* addPickedButton = nullptr;   // "Добавить"
    QPushButton* clearQueueButton = nullptr;  // "Очистить"
    QPushButton* removeEntryButton = nullptr; // "Удалить"
    QFrame* queueSeparator = nullptr;
    QPushButton* decodeButton = nullptr;    // "Расшифровка"
    QPushButton* joinPartsButton = nullptr; // "Соединение"
    QFrame* runSeparator = nullptr;
    QPushButton* openFolderButton = nullptr;     // "Откр. Папку"
    QPushButton* openSiteButton = nullptr;       // "Откр. Сайт"
    QCheckBox* joinAtOnceBox = nullptr;          // "Сразу соединять"
    QCheckBox* deleteAfterDecodingBox = nullptr; // "Автоудаление"
    QCheckBox* openFolderAfterBox = nullptr;     // "Открыть папку"
    QCheckBox* decodeArrivalsBox = nullptr;      // "Расшифровывать скачанное"
    QPushButton* goButton = nullptr;             // "Go!"
    QLabel* folderLabel = nullptr;
    QLineEdit* folderBox = nullptr;
    QPushButton* chooseFolderButton = nullptr; // "Обзор"
    QListWidget* queueList = nullptr;
    QProgressBar* runProgressBar = nullptr;
    QProgressBar* fileProgressBar = nullptr;

    // Tab "Downloader"
    QWidget* downloaderTab = nullptr;
    QGroupBox* downloaderCommands = nullptr;
    QPushButton* checkServerButton = nullptr;    // "Обновить"
    QPushButton* stopButton = nullptr;           // "Остановить"
    QPushButton* serverSettingsButton = nullptr; // "Настройки"
    QCheckBox* autoCheckBox = nullptr;           // "Автопроверка"
    QLineEdit* autoCheckPeriodBox = nullptr;
    QLabel* secondsLabel = nullptr;
    ServerGrid* serverFileGrid = nullptr;
    QGroupBox* fetchBox = nullptr;
    QLabel* fetchNameLabel = nullptr;
    QLabel* fetchStatusLabel = nullptr;
    QLabel* fetchSpeedLabel = nullptr; // the speed and the time left
    QProgressBar* fetchProgressBar = nullptr;

    // Tab "Управление закачкой": holds the upload management page once shown
    QWidget* uploadTab = nullptr;

    // Tab "О программе"
    QWidget* newsTab = nullptr;
    QGroupBox* aboutBox = nullptr;
    QTextEdit* aboutText = nullptr;
    QGroupBox* newsBox = nullptr;
    QWidget* newsHolder = nullptr; // holds the news page once shown
    QGroupBox* moreBox = nullptr;
    QPushButton* moreButton = nullptr; // "Подробнее"

    // Hidden tab "Downloader"
    QWidget* urlTab = nullptr;
    QLabel* urlLabel = nullptr;
    QLineEdit* urlBox = nullptr;
    QPushButton* downloadUrlButton = nullptr; // "Download"
    QWidget* removalHolder = nullptr;         // holds the removal page once made

    // Context menu of the list
    QMenu* queueMenu = nullptr;
    QAction* removeEntryItem = nullptr; // "Удалить"
    QAction* realNameItem = nullptr;    // "Реалнейм"
    QAction* sizeItem = nullptr;        // "Размер"
    QAction* keyItem = nullptr;         // "Ключ"

    // Tray icon and its menu
    TrayIcon* trayIcon = nullptr;
    QMenu* trayMenu = nullptr;
    QAction* showWindowItem = nullptr;  // "Показать/скрыть"
    QAction* checkServerItem = nullptr; // "Проверить новые файлы"
    QAction* stopItem = nullptr;        // "Остановить"
    QAction* autoCheckItem = nullptr;   // "Автообновление"
    QAction* exitItem = nullptr;        // "Выход"
    ArrivalNotice* arrivalNotice = nullptr;

    // Timers
    WindowTimer* runnerTimer = nullptr;
    WindowTimer* fetchProgressTimer = nullptr;
    WindowTimer* autoCheckTimer = nullptr;
    WindowTimer* periodTypingTimer = nullptr; // ends the editing of the period box
    WindowTimer* trayHintTimer = nullptr;     // sends the tray hint held back by its pace
};

} // namespace vexo
