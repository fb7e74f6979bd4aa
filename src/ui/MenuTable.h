#pragma once

#include <QAction>
#include <QHash>
#include <QString>

class QMenuBar;

namespace tk {

// The menu entries the window wires, typed: each is the entry of the table with the same name (umlauts
// written out).
struct MenuActions {
    QAction* mnusetload = nullptr;
    QAction* mnuscriptload = nullptr;
    QAction* mnugrenzenload = nullptr;
    QAction* mnumessload = nullptr;
    QAction* mnueichload = nullptr;
    QAction* mnusetsave = nullptr;
    QAction* mnuscriptsave = nullptr;
    QAction* mnugrenzensave = nullptr;
    QAction* mnumesssave = nullptr;
    QAction* mnueichsave = nullptr;
    QAction* mnutabpW = nullptr;
    QAction* mnutabmW = nullptr;
    QAction* mnutabuV = nullptr;
    QAction* mnutabuser = nullptr;
    QAction* mnuprint = nullptr;
    QAction* mnusetprint = nullptr;
    QAction* mnudefuser = nullptr;
    QAction* mnuzwischenab = nullptr;
    QAction* mnupicture = nullptr;
    QAction* mnureport = nullptr;
    QAction* mnurecord = nullptr;
    QAction* mnureplay = nullptr;
    QAction* mnustartscp = nullptr;
    QAction* mnuexit = nullptr;
    QAction* mopen = nullptr;
    QAction* mnusleep = nullptr;
    QAction* mnurechen = nullptr;
    QAction* mnuauto = nullptr;
    QAction* mnufastmode = nullptr;
    QAction* mnucontrollbox = nullptr;
    QAction* mnuwertepw = nullptr;
    QAction* mnuwertemw = nullptr;
    QAction* mnuwerteuv = nullptr;
    QAction* mnuwerteuser = nullptr;
    QAction* mnugrenzuebpw = nullptr;
    QAction* mnugrenzuebmw = nullptr;
    QAction* mnugrenzuebuv = nullptr;
    QAction* mnugrenzuebuser = nullptr;
    QAction* mnupeaks = nullptr;
    QAction* mnugrenzbox = nullptr;
    QAction* mnuwaterfall = nullptr;
    QAction* mnuboxeich = nullptr;
    QAction* mnuboxvergl = nullptr;
    QAction* mnurefbox = nullptr;
    QAction* mnuconfig = nullptr;
    QAction* mnuloeschen = nullptr;
    QAction* mnugenscript = nullptr;
    QAction* mnuueberlap = nullptr;
    QAction* mnuueberein = nullptr;
    QAction* mnunebenein = nullptr;
    QAction* mnusymbole = nullptr;
    QAction* mnuarbeitsplatz = nullptr;
    QAction* mnuliste = nullptr;
    QAction* mnuHelp = nullptr;
    QAction* hlpdeutsch = nullptr;
    QAction* hlpenglish = nullptr;
    QAction* mnuabout = nullptr;
};

// The main window's menus from their table, in order, each entry and submenu named as in the table; the
// typed entries in `typed`, and all actions by name (for the captions and for tests).
QHash<QString, QAction*> BuildMenuTree(QMenuBar* bar, MenuActions& typed);
// The table's English captions on the entries again.
void SetMenuCaptions(const QHash<QString, QAction*>& actions);

}  // namespace tk
