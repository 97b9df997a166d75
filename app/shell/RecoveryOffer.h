#pragma once

class FormPrincipal;
class QString;

// At start: offers back the newest document an earlier run left unsaved in folder (a
// question in the interface language). Yes puts its text in the editor as a modified
// document of the file it belonged to; No keeps the copy for the next start.
void OfferRecoveredDocument(FormPrincipal &main, const QString &folder, int language);
