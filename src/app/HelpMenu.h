#pragma once

#include <QString>

// The maker's pages opened from the Help menu.
namespace HelpPages {
QString productPageAddress();
QString donatePageAddress();
QString forumPageAddress();
QString aboutText();
} // namespace HelpPages
