#pragma once
// A text label the pages draw themselves: anti-aliased text in one colour, placed by the
// layout flags of skin_palette.h. It reports nothing. GUI thread only.

#include <QColor>
#include <QString>
#include <QWidget>

namespace kv816 {

class SkinLabel : public QWidget {
  Q_OBJECT
public:
  explicit SkinLabel(QWidget* parent = nullptr);

  void setText(const QString& text);
  QString text() const { return text_; }
  void setTextColor(const QColor& color);
  void setTextFlags(int flags);
  int textFlags() const { return flags_; }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QString text_;
  QColor color_; // the palette's text colour until set
  int flags_ = 0;
};

} // namespace kv816
