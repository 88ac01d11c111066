#include "AppDelegate.h"

#include "AboutBox.h"
#include "HistoryWindow.h"
#include "Hotkey.h"
#include "Messages.h"
#include "OptionDoubleTap.h"
#include "Platform.h"
#include "ShortcutOffer.h"
#include "SingleInstance.h"
#include "StatusItem.h"
#include "TodoStore.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QScreen>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

const QUrl contentViewUrl(QStringLiteral("qrc:/qt/qml/Pinstrip/ContentView.qml"));
constexpr std::chrono::milliseconds trayAtTheLatest(300);

} // namespace

AppDelegate::AppDelegate() : AppDelegate(Environment{}) {}

AppDelegate::AppDelegate(Environment environment) : m_environment(std::move(environment)) {
    if (!m_environment.trayAvailable)
        m_environment.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
}

AppDelegate::~AppDelegate() = default;

bool AppDelegate::applicationDidFinishLaunching() {
    // The guard comes before the store: a second copy must not read, create or rewrite the
    // state file that the first copy owns.
    m_instance = std::make_unique<SingleInstance>();
    if (!m_instance->acquire()) {
        m_instance.reset();
        return false;
    }
    // Everything else is made here, together, before any of it is wired or started.
    const QPointer<AppDelegate> guard(this);
    const auto summon = [guard](quint32 userTime) {
        if (guard)
            guard->hotkeyPressed(userTime);
    };
    Platform platform = Platform::choose();
    m_windowSystem = std::move(platform.windowSystem);
    m_store = std::make_unique<TodoStore>();
    m_engine = std::make_unique<QQmlEngine>();
    m_hotkey = std::make_unique<Hotkey>(Qt::ControlModifier | Qt::AltModifier | Qt::Key_T, summon,
                                        platform.hotkey);
    m_optionTap = std::make_unique<OptionDoubleTap>(summon, std::move(platform.keySource));
    m_doubleTapSource = platform.doubleTap;
    m_shortcutOffer =
        std::make_unique<ShortcutOffer>(*m_hotkey, m_preferences, m_dialogs, m_doubleTapSource);
    setupPanel();
    m_statusItem = std::make_unique<StatusItem>([this] { return menuState(); },
                                                [guard](TrayMenu::Command command) {
                                                    if (guard)
                                                        guard->run(command);
                                                });

    connect(m_statusItem.get(), &StatusItem::clicked, this, &AppDelegate::togglePanel);
    connect(m_hotkey.get(), &Hotkey::statusChanged, m_statusItem.get(), &StatusItem::refresh);
    connect(m_optionTap.get(), &OptionDoubleTap::activeChanged, m_statusItem.get(),
            &StatusItem::refresh);
    connect(m_panel.get(), &QWindow::visibleChanged, m_statusItem.get(), &StatusItem::refresh);
    m_store->onInputActiveChanged = [guard](bool active) {
        if (guard)
            guard->focusChanged(active);
    };
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, &AppDelegate::screensChanged);
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        screensChanged();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, &AppDelegate::screensChanged);
    for (const QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);

    if (doubleTapEnabled())
        m_optionTap->start(true);
    // Without a tray host the strip would have no handle but a summon: always show it then.
    if (m_preferences.visible() || !m_environment.trayAvailable()) {
        showPanel();
        connect(m_panel.get(), &QQuickWindow::frameSwapped, m_statusItem.get(), &StatusItem::show,
                static_cast<Qt::ConnectionType>(Qt::QueuedConnection | Qt::SingleShotConnection));
        // A window manager may map the strip elsewhere or not at all; the tray's handle must
        // come anyway.
        QTimer::singleShot(trayAtTheLatest, m_statusItem.get(), &StatusItem::show);
    } else {
        m_statusItem->show();
    }
    return true;
}

void AppDelegate::setupPanel() {
    m_panel = std::make_unique<StripPanel>(*m_windowSystem, m_preferences, m_environment.screens);
    QQmlComponent component(m_engine.get(), contentViewUrl);
    // Creating from a component that failed to load crashes inside Qt instead of failing.
    QObject* object = component.isReady()
                          ? component.createWithInitialProperties(
                                {{QStringLiteral("store"), QVariant::fromValue(m_store.get())}})
                          : nullptr;
    if (auto* root = qobject_cast<QQuickItem*>(object)) {
        QQmlEngine::setObjectOwnership(root, QQmlEngine::CppOwnership);
        m_panel->setContent(std::unique_ptr<QQuickItem>(root));
    } else {
        delete object;
        qWarning("Pinstrip: the strip's view did not load: %s",
                 qPrintable(component.errorString()));
    }
    m_panel->relayout();
}

void AppDelegate::watchScreen(const QScreen* screen) {
    connect(screen, &QScreen::availableGeometryChanged, this, &AppDelegate::screensChanged);
    connect(screen, &QScreen::geometryChanged, this, &AppDelegate::screensChanged);
}

void AppDelegate::focusChanged(bool active) {
    if (active) {
        m_windowSystem->rememberActiveWindow(*m_panel);
        m_panel->setAllowKey(true);
        m_panel->requestActivate();
        m_windowSystem->activate(*m_panel, std::exchange(m_summonTime, 0));
    } else {
        m_panel->setAllowKey(false);
        if (!m_windowSystem->handBackKeyboard(*m_panel))
            m_panel->remap();
    }
}

void AppDelegate::hotkeyPressed(quint32 userTime) {
    m_summonTime = userTime;
    if (!m_panel->isVisible())
        showPanel();
    m_store->setCollapsed(false);
    // Also when the row is already open: a click into another window since then took the
    // keyboard away, and the user's typing must not go there.
    m_store->userSetInputActive(true);
}

void AppDelegate::togglePanel() {
    if (!m_panel->isVisible()) {
        showPanel();
        return;
    }
    m_panel->hide();
    m_preferences.setVisible(false);
}

void AppDelegate::showPanel() {
    m_panel->relayout();
    m_panel->present();
    m_preferences.setVisible(true);
}

void AppDelegate::screensChanged() {
    m_panel->scheduleRelayout();
}

void AppDelegate::menuResetPosition() {
    m_panel->resetPosition();
}

void AppDelegate::menuToggle() {
    togglePanel();
}

void AppDelegate::menuPick() {
    hotkeyPressed();
}

void AppDelegate::menuArchive() {
    m_store->archiveAndClear();
}

void AppDelegate::menuCheckUpdates() {
    if (m_dialogs.raise(Dialogs::Kind::update))
        return;
    const QUrl feed(QStringLiteral(PINSTRIP_UPDATE_FEED));
    if (feed.isEmpty()) {
        m_dialogs.show(Dialogs::Kind::update, [] {
            return Dialogs::messageBox(
                Messages::builtWithoutUpdateCheck(UpdateCheck::builtAsPackage()));
        });
        return;
    }
    if (!m_updater) {
        m_updater = std::make_unique<UpdateCheck>(feed, QStringLiteral(PINSTRIP_VERSION));
        connect(m_updater.get(), &UpdateCheck::finished, this, &AppDelegate::showUpdateResult);
    }
    m_updater->check();
}

void AppDelegate::showUpdateResult(const UpdateCheck::Result& result) {
    const QString current = QStringLiteral(PINSTRIP_VERSION);
    switch (result.outcome) {
    case UpdateCheck::Outcome::upToDate:
        m_dialogs.show(Dialogs::Kind::update,
                       [&] { return Dialogs::messageBox(Messages::upToDate(current)); });
        return;
    case UpdateCheck::Outcome::failed:
        m_dialogs.show(Dialogs::Kind::update,
                       [] { return Dialogs::messageBox(Messages::updateCheckFailed()); });
        return;
    case UpdateCheck::Outcome::newerAvailable:
        m_dialogs.show(Dialogs::Kind::update, [&] {
            auto box =
                Dialogs::messageBox(Messages::updateAvailable(result.latestVersion, current));
            box->setStandardButtons(QMessageBox::NoButton);
            QPushButton* open = box->addButton(Messages::openReleasePage, QMessageBox::AcceptRole);
            box->addButton(Messages::later, QMessageBox::RejectRole);
            box->setDefaultButton(open);
            connect(open, &QPushButton::clicked,
                    [page = result.page] { QDesktopServices::openUrl(page); });
            return box;
        });
        return;
    }
}

void AppDelegate::menuQuit() {
    QCoreApplication::quit();
}

void AppDelegate::menuToggleDoubleTap() {
    const bool wasEnabled = doubleTapEnabled();
    m_preferences.setDoubleTapEnabled(!wasEnabled);
    if (wasEnabled)
        m_optionTap->stop();
    else
        m_optionTap->start(true);
}

void AppDelegate::menuOpenAccessibility() {
    m_optionTap->start(false);
    if (m_optionTap->active())
        return;
    // There is no permission to grant here: say what this session allows, and what summons.
    if (m_shortcutOffer->show())
        return;
    m_dialogs.show(Dialogs::Kind::systemWideKeys, [this] {
        auto box =
            Dialogs::messageBox(Messages::noDoubleTap(m_doubleTapSource, m_hotkey->statusText()));
        const QString settings = QStandardPaths::findExecutable(QStringLiteral("systemsettings"));
        if (m_doubleTapSource == Platform::DoubleTap::kwinLegacyX11 && !settings.isEmpty()) {
            QPushButton* open = box->addButton(Messages::openSettings, QMessageBox::AcceptRole);
            connect(open, &QPushButton::clicked, [settings] {
                QProcess::startDetached(settings, {QStringLiteral("kcm_kwinxwayland")});
            });
        }
        return box;
    });
}

void AppDelegate::menuHistory() {
    if (!m_historyWindow)
        m_historyWindow = std::make_unique<HistoryWindow>(*m_engine, *m_store);
    m_historyWindow->present();
}

void AppDelegate::menuAbout() {
    m_dialogs.show(Dialogs::Kind::about, [] { return std::make_unique<AboutBox>(); });
}

void AppDelegate::menuToggleLogin() {
    m_environment.loginItem.toggle();
}

TrayMenu::State AppDelegate::menuState() const {
    return {
        .panelVisible = m_panel->isVisible(),
        .doubleTapEnabled = doubleTapEnabled(),
        .monitorActive = m_optionTap->active(),
        .loginEnabled = m_environment.loginItem.enabled(),
        .hotkey = m_hotkey->status(),
    };
}

void AppDelegate::run(TrayMenu::Command command) {
    perform(command);
    // Hosts that read the menu over D-Bus show whatever it holds when they open it.
    m_statusItem->refresh();
}

void AppDelegate::perform(TrayMenu::Command command) {
    using Command = TrayMenu::Command;
    switch (command) {
    case Command::toggle:
        menuToggle();
        return;
    case Command::pick:
        menuPick();
        return;
    case Command::archive:
        menuArchive();
        return;
    case Command::history:
        menuHistory();
        return;
    case Command::resetPosition:
        menuResetPosition();
        return;
    case Command::toggleDoubleTap:
        menuToggleDoubleTap();
        return;
    case Command::openAccessibility:
        menuOpenAccessibility();
        return;
    case Command::toggleLogin:
        menuToggleLogin();
        return;
    case Command::checkUpdates:
        menuCheckUpdates();
        return;
    case Command::about:
        menuAbout();
        return;
    case Command::quit:
        menuQuit();
        return;
    }
}
