#include "app/labelbinding.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QRadioButton>

namespace st::app {
namespace {

class LabelClicker : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseButtonDblClick)
            if (auto* l = qobject_cast<QLabel*>(watched)) LabelClick(l);
        return false;
    }
};

LabelClicker* clicker() {
    static LabelClicker* c = new LabelClicker;
    return c;
}

constexpr const char* kBound = "st_labelBound";

}  // namespace

QWidget* LabelPartner(const QLabel* label) {
    QWidget* parent = label->parentWidget();
    if (!parent) return nullptr;
    const int d = label->height() / 2;
    const int x = label->x() - d;
    const int y = label->y() + d;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (!w || w == label || w->isWindow()) continue;
        const QRect g = w->geometry();
        if (g.left() < x && x < g.left() + g.width() && g.top() < y && y < g.top() + g.height())
            return w;
    }
    return nullptr;
}

void SetLabelClick(QWidget* pap) {
    // Forms that are not shown yet get their layout geometry first, top down,
    // so the probe sees where each control will stand.
    auto place = [](QWidget* w) {
        if (w->layout()) w->layout()->setGeometry(w->rect());
    };
    place(pap);
    for (QWidget* w : pap->findChildren<QWidget*>()) place(w);
    for (QLabel* label : pap->findChildren<QLabel*>()) {
        if (label->property(kBound).toBool()) continue;
        QWidget* partner = LabelPartner(label);
        if (!partner) continue;
        if (partner->x() + partner->width() >= label->x())
            partner->resize(label->x() - partner->x() - 1, partner->height());
        label->installEventFilter(clicker());
        label->setProperty(kBound, true);
    }
}

bool IsLabelBound(const QLabel* label) {
    return label->property(kBound).toBool();
}

void LabelClick(QLabel* label) {
    if (label->isHidden() || !label->isEnabled()) return;
    QWidget* partner = LabelPartner(label);
    if (!partner || !partner->isEnabled()) return;
    if (auto* cb = qobject_cast<QCheckBox*>(partner))
        cb->toggle();
    else if (auto* rb = qobject_cast<QRadioButton*>(partner))
        rb->setChecked(true);
}

}  // namespace st::app
