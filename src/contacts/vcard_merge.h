#pragma once

#include "vcard.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Single cards as a contacts server (CardDAV) holds them, where phones write
// them too. A contact keeps only some of a card's fields; a change made here
// must reach the server without losing the rest (photos, addresses, more
// numbers, the UID, other programs' X- properties). No widgets.
namespace VCard {

// One card (BEGIN:VCARD to END:VCARD, nothing else) read by the rules of
// read(); nullopt with the reason in *error when it is not exactly one card
// that reads.
std::optional<Contact> readOne(const QByteArray& card, QString* error = nullptr);

// The value of the card's UID as written, empty when it has none. Paired
// with writeOne(), which writes the UID it is given as it is.
QString uidOf(const QByteArray& card);

// A new card for the server: CRLF line ends, lines folded at 75 octets.
// Unlike a file, it leaves out what a phone would show wrongly: the "---" of
// a name left empty (an empty part of N), a birthday that is none (see
// cardForm), and the reminder flag when it is off.
QByteArray writeOne(const Contact& contact, Version version, const QString& uid);

// The server's card with the contact's fields put in. Only the properties
// that reading takes a field from change; every other line, and every line
// of a field whose value is unchanged, stays as the server wrote it, octet
// for octet (groups such as item1.TEL, parameters, folding, line ends). The
// card keeps its VERSION; a rewritten or added line is written in that
// version's form and folded at 75 octets.
//
// A field counts as changed when cardForm() of the contact differs from
// cardForm() of the card as read; a field emptied removes its property.
// - N and FN: only when the three names change. N keeps its prefix and
//   suffix; FN is built again from the names.
// - TEL: the first two with a number are ours (phone1, phone2). An unchanged
//   number keeps its line and its TYPE even when it moves from one field to
//   the other; a changed one is written into the line it replaces, keeping
//   its group and parameters; a new one goes after the last TEL. Later TELs
//   stay. When a field is emptied the next number of the card takes its
//   place on the next reading: two fields cannot hold three numbers.
// - EMAIL: the first with an address, in the same way.
// - ICQ: the first X-ICQ and the first IMPP of ICQ take the new number (an
//   IMPP keeps its scheme); emptied, every one of them goes. A new one is an
//   IMPP, and in 3.0 also an X-ICQ, as the files have it.
// - BDAY: the one that reads. The year 1904 stands for a year not known
//   (reading gives it to "--MMDD" and to X-APPLE-OMIT-YEAR): it is
//   written without one ("--MMDD" in 4.0, "--MM-DD" in 3.0) or, when the
//   server's line named its own made-up year in X-APPLE-OMIT-YEAR, in that
//   form. An unchanged birthday keeps the server's line, whatever its form.
// - CATEGORIES: only the item the category was read from is replaced; the
//   other items and properties stay. A category set where there was none is
//   added to the first CATEGORIES. When the category is removed, every item
//   that names one of ours goes, or the next one would be read back.
// - NOTE: the last one (the one read). The comment holds no more than the
//   column (50 characters): a longer NOTE whose beginning is the comment is
//   left whole. The numbers and addresses that reading adds to the comment
//   stay on the server as their own lines and are not written into NOTE.
//   Emptied, every NOTE goes.
// - X-QUILLARBOR-REMIND: "1" while the reminder is on, gone when it is off.
// nullopt with the reason in *error when the card does not read: nothing is
// merged into a card that is not understood.
//
// The merged card does not always read back as the contact: a number or an
// address beyond our fields moves up into a field emptied (and out of the
// comment). A sync keeps the contact read from the merged card (readOne), or
// the next merge would take that number for one the user removed.
std::optional<QByteArray> mergeInto(const QByteArray& serverCard, const Contact& contact,
                                    QString* error = nullptr);

// The contact as a card written from it reads back, so as the server holds
// it: the fields cut to what the editor admits, on one line, trimmed; "---"
// for an empty name and an empty text for the mark "---" in any other field;
// phone2 moved to phone1 when phone1 is empty; a birthday that is invalid,
// or the editor's starting date 01.01.1980 with no reminder, is none (read
// back as that date); the reminder off without a birthday.
Contact cardForm(const Contact& contact);

// A digest (SHA-256 in hex) of exactly the fields a card carries, in their
// cardForm(): two contacts have the same fingerprint when and only when a
// server card would hold them alike. A contact read from a card and written
// back keeps its fingerprint.
QByteArray fingerprint(const Contact& contact);

} // namespace VCard
