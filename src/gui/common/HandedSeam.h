#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QVariant>

// A stand-in handed to an object for what happens over it: a window (every
// widget within it) or the application (everything). The one handed nearest
// up a widget's parents wins, the application's last; with none the program
// does the real thing. Kept as a property of the object, under a name of its
// own for each kind of stand-in.
template <typename Seam> class HandedSeam {
public:
    static void hand(QObject* owner, const char* name, Seam* seam) {
        owner->setProperty(name, seam ? QVariant::fromValue(static_cast<void*>(seam)) : QVariant());
    }

    static Seam* over(const QObject* object, const char* name) {
        for (; object; object = object->parent())
            if (Seam* seam = on(object, name))
                return seam;
        const QCoreApplication* application = QCoreApplication::instance();
        return application ? on(application, name) : nullptr;
    }

private:
    static Seam* on(const QObject* object, const char* name) {
        const QVariant value = object->property(name);
        return value.isValid() ? static_cast<Seam*>(value.value<void*>()) : nullptr;
    }
};
