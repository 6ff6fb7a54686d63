#include "app/ui/wizard/page_messages.h"

#include "app/engine/program_texts.h"
#include "platform/ui.h"

namespace bkvp::ui {

void ShowPageWarning(const std::string& text) {
  platform::ui::MessageBox(text, engine::kProgramCaption,
                           platform::ui::MB_OK | platform::ui::MB_ICONEXCLAMATION);
}

void ShowPageError(const std::string& text) {
  platform::ui::MessageBox(text, engine::kProgramCaption,
                           platform::ui::MB_OK | platform::ui::MB_ICONSTOP);
}

}  // namespace bkvp::ui
