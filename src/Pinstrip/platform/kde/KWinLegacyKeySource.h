#pragma once

#include "KeySource.h"

#include <QString>
#include <memory>

// Raw keys through Xwayland under KWin: they reach X11 programs while a Wayland window has the
// keyboard only as far as "Legacy X11 App Support" lets them (kwinrc, [Xwayland]
// XwaylandEavesdrops: None by default, Modifiers, Combinations or All). Modifiers is enough for
// a double tap of Alt; below it the source reports itself untrusted, so the menu explains.
class KWinLegacyKeySource : public KeySource {
public:
    // `configFile` is kwinrc; by default the user's.
    explicit KWinLegacyKeySource(std::unique_ptr<KeySource> xinput, QString configFile = {});

    [[nodiscard]] bool trusted() override;
    bool install(Sink sink) override;
    void remove() override;

private:
    std::unique_ptr<KeySource> m_xinput;
    QString m_configFile;
};
