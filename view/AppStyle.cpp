#include "view/AppStyle.h"

#include <qdrawutil.h>
#include <QIconEngine>
#include <QImageReader>
#include <QGroupBox>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

namespace {

// An icon that asks the style for its pixels the first time it is drawn or
// measured, then behaves as that icon.
class DeferredIcon : public QIconEngine
{
public:
    DeferredIcon(const QStyle *style, QStyle::StandardPixmap which)
        : m_style(style), m_which(which)
    {
    }

    QIconEngine *clone() const override
    {
        auto *copy = new DeferredIcon(m_style, m_which);
        copy->m_icon = m_icon;
        copy->m_made = m_made;
        return copy;
    }
    QString key() const override { return QStringLiteral("DeferredIcon"); }
    bool isNull() override { return false; }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }

private:
    const QIcon &icon()
    {
        if (!m_made) {
            m_made = true;
            if (m_style)
                m_icon = m_style->standardIcon(m_which);
        }
        return m_icon;
    }

    QPointer<const QStyle> m_style;
    QStyle::StandardPixmap m_which;
    QIcon m_icon;
    bool m_made = false;
};

class AppStyle : public QProxyStyle
{
public:
    // Fusion draws a titled group box's frame from a PNG read by file name,
    // which sets Qt's image reader guessing the format with every plugin. The
    // same picture is read here as the PNG it is and drawn the same way.
    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget) const override
    {
        const auto *box = qobject_cast<const QGroupBox *>(widget);
        if (element == PE_FrameGroupBox && box && !box->title().isEmpty() && isFusion()) {
            if (m_groupBoxFrame.isNull()) {
                QImageReader reader(QStringLiteral(":/qt-project.org/styles/commonstyle/images/fusion_groupbox.png"),
                                    "png");
                reader.setAutoDetectImageFormat(false);
                m_groupBoxFrame = QPixmap::fromImage(reader.read());
            }
            if (!m_groupBoxFrame.isNull()) {
                constexpr int kTitleGap = 3; // Fusion's gap below a group box's title
                const int top = qMax(baseStyle()->pixelMetric(PM_ExclusiveIndicatorHeight),
                                     option->fontMetrics.height()) + kTitleGap;
                qDrawBorderPixmap(painter, option->rect.adjusted(0, top, 0, 0), QMargins(6, 6, 6, 6),
                                  m_groupBoxFrame);
                return;
            }
        }
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }

    QIcon standardIcon(StandardPixmap which, const QStyleOption *option, const QWidget *widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new DeferredIcon(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }

private:
    bool isFusion() const { return baseStyle()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0; }

    mutable QPixmap m_groupBoxFrame;
};

} // namespace

QStyle *makeAppStyle()
{
    return new AppStyle;
}
