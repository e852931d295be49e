// QvpFont: a font from a compound name "SIZE.Face[ Bold][ Italic]", e.g. "16.Arial Bold"
// or "24.Times New Roman Bold Italic". SIZE is in points at 96 pixels per inch. The face
// is looked up through fontconfig (unknown faces fall back). A malformed name raises a
// runtime error with a clear description and leaves the font as it was.
#pragma once

#include <pango/pango.h>

#include <memory>
#include <optional>
#include <string>

#include "platform/runtime/value.h"

namespace qv {

class QvpPresSpace;

struct FontName {
  double points = 0;
  std::string family;
  bool bold = false;
  bool italic = false;
};
// Parses a compound name; nullopt (with `why` filled) when it is malformed: empty, no
// full stop, a size that is not a positive number up to 1000, or an empty face.
std::optional<FontName> parseCompoundName(const std::string& name, std::string* why = nullptr);

class QvpFont : public Object {
  QV_CLASS(QvpFont, Object)
 public:
  static std::shared_ptr<QvpFont> New(const Value& presSpace = {});
  // Both return true on success; a bad name raises a runtime error and returns false.
  bool Create(const Value& compoundName);
  bool Configure(const Value& compoundName);
  void Destroy();
  std::string CompoundName() const;  // as last set successfully
  // The Pango description built field by field (family, weight, style, absolute size in
  // pixels); null before Create.
  const PangoFontDescription* description() const;
  double pixelSize() const;
  // Changes on each successful Create or Configure and is never shared by two fonts, so
  // caches of text layouts can tell.
  unsigned generation() const;
  // The face fontconfig chose for the description, e.g. "Liberation Sans Bold"; "" before
  // Create.
  std::string faceName() const;

  ~QvpFont() override;

 private:
  std::string name_;
  PangoFontDescription* desc_ = nullptr;
  unsigned generation_ = 0;
};
using QvpFontPtr = std::shared_ptr<QvpFont>;

}  // namespace qv
