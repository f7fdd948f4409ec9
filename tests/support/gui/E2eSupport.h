#pragma once
// Mails and modal-window helpers for the end-to-end tests of the main window.

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using Attachment = std::pair<std::string, std::string>; // file name, exact bytes

// A multipart/mixed mail: the text part, then each attachment base64-encoded, in order.
std::string MailWithAttachments(const std::string& subject, const std::string& text,
                                const std::vector<Attachment>& attachments);

// The header of a raw mail as a viewer shows it: its lines up to the empty line.
std::vector<std::string> HeaderLinesOf(const std::string& mail);

// The viewers open modally inside the command that shows them; this runs action from the
// window's own event loop once it is on screen, then closes it if the action did not.
// Returns a flag that tells whether the action ran.
std::shared_ptr<bool> WhenShown(QWidget* window, std::function<void()> action);
// The same for a modal window that the command creates itself: runs action on the first
// modal window named objectName, then closes that window if the action did not. The watch
// lasts as long as the caller keeps the returned flag.
std::shared_ptr<bool> WhenModalShown(const QString& objectName,
                                     std::function<void(QWidget*)> action);
// Answers the question before deleting with Delete (remove) or Keep; its text into question
// where one is given.
std::shared_ptr<bool> AnswerDeletion(bool remove, QString* question = nullptr);
