#pragma once

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
    };

    static const std::vector<Scene>& all();
};
