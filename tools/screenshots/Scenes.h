#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <vector>

class SceneDriver;

// The named scenes of the documentation's screenshots. A scene drives the
// viewer to what a picture shows and saves it; it returns false when a step
// failed (the driver says which).
class Scenes {
public:
    struct Scene {
        QString name;
        QString description;
        std::function<bool(SceneDriver&)> run;
        // The screen it is taken on (scripts/screenshots.sh gives each its own).
        QSize screen = kScreen;
    };
    // The screen of most scenes: room for the README's pictures.
    static constexpr QSize kScreen{1600, 1000};
    static constexpr QSize kLaptop{1366, 768};
    static constexpr QSize kSmallLaptop{1024, 768};

    static const std::vector<Scene>& all();
};
