#include "app/formlayout.h"

#include <QAction>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include "app/wordtable.h"

namespace st::app {

namespace {

void applyOne(QObject* target, const QString& property, const QString& value) {
    if (property.startsWith(QStringLiteral("tab"), Qt::CaseInsensitive) && property.size() > 3) {
        bool ok = false;
        const int page = property.mid(3).toInt(&ok);
        if (ok) {
            if (auto* tw = qobject_cast<QTabWidget*>(target)) tw->setTabText(page, value);
            if (auto* tb = qobject_cast<QTabBar*>(target)) tb->setTabText(page, value);
            return;
        }
    }
    target->setProperty(property.toLatin1().constData(), value);
}

}  // namespace

void ApplyLayout(QWidget* form, const QString& className) {
    for (const LayoutText& t : LoadLayout(className)) {
        QObject* target = nullptr;
        if (t.object.compare(className, Qt::CaseInsensitive) == 0) {
            target = form;
        } else {
            for (QObject* o : form->findChildren<QObject*>())
                if (o->objectName().compare(t.object, Qt::CaseInsensitive) == 0) {
                    target = o;
                    break;
                }
        }
        if (target) applyOne(target, t.property, t.value);
    }
}

}  // namespace st::app
