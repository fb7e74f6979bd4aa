#include "MenuTable.h"

#include <QMenu>
#include <QMenuBar>
#include <functional>
#include <initializer_list>
#include <utility>

namespace tk {
namespace {

struct Item {
    const char* name;  // nullptr for a separator
    const char* caption;
    bool enabled = false;
    std::initializer_list<Item> children = {};
};

// The menu tree in its order. Entries whose commands are not available yet are shown disabled.
const std::initializer_list<Item> kMenus = {
    {"mnufile",
     "&Data",
     true,
     {{"mnuload",
       "&Load Data",
       true,
       {{"mnusetload", "&Setup"},
        {"mnuscriptload", "S&cript", true},
        {"mnugrenzenload", "&Boundaries"},
        {"mnumessload", "&Measurement"},
        {"mnueichload", "C&alibration Curve", true}}},
      {"mnusave",
       "&Store Data",
       true,
       {{"mnusetsave", "&Setup"},
        {"mnuscriptsave", "S&cript", true},
        {"mnugrenzensave", "&Boundaries"},
        {"mnumesssave", "&Measurement"},
        {"mnueichsave", "C&alibration Curve", true},
        {"mnutabsave",
         "&Table",
         true,
         {{"mnutabpW", "dB&pW"}, {"mnutabmW", "dB&m"}, {"mnutabuV", "dB&uV"}, {"mnutabuser", "User"}}}}},
      {nullptr, "-"},
      {"mnuprint", "&Print"},
      {"mnusetprint", "Prin&ter Setup"},
      {"mnureport", "&Report...", true},
      {"mnurecord", "Rec&ord...", true},
      {"mnureplay", "Repla&y...", true},
      {nullptr, "-"},
      {"mnudefuser", "&User def."},
      {"mnuzwischenab", "&Clipboard", true},
      {"mnupicture", "Save P&icture", true},
      {nullptr, "-"},
      {"mnustartscp", "St&art Script", true},
      {"mnuexit", "&Exit", true}}},
    {"mnumessen",
     "&Measurement",
     true,
     {{"mopen", "M&odule online", true},
      {"mnusleep", "Mod&ule sleeping", true},
      {"mnurechen", "Module &calculating", true},
      {"mnuauto", "&Auto measurement", true},
      {"mnufastmode", "&Fast-Mode", true},
      {nullptr, "-"},
      {"mnucontrollbox", "&Display setup", true},
      {"mnuwertebox",
       "Le&vel window",
       true,
       {{"mnuwertepw", "dB&pW"}, {"mnuwertemw", "dB&m"}, {"mnuwerteuv", "dB&uV"}, {"mnuwerteuser", "User"}}},
      {"mnugrenzübbox",
       "Surpass Boundar&ies",
       true,
       {{"mnugrenzübpw", "dB&pW"},
        {"mnugrenzübmw", "dB&m"},
        {"mnugrenzübuv", "dB&uV"},
        {"mnugrenzübuser", "User"}}},
      {"mnupeaks", "&Peak table", true},
      {"mnugrenzbox", "&Boundary-Edit"},
      {"mnuwaterfall", "&Waterfall"},
      {"mnuboxeich", "Cali&bration level-Edit", true},
      {"mnuboxvergl", "Co&mparative measurement", true},
      {"mnurefbox", "&Reference calcul.", true},
      {nullptr, "-"},
      {"mnuconfig", "Confi&guration", true},
      {nullptr, "-"},
      {"mnulöschen", "&Erase display", true}}},
    {"mnuscript", "&Script", true, {{"mnugenscript", "Script &edit", true}}},
    {"mnufenster",
     "&Windows",
     true,
     {{"mnuüberlap", "&Cascading", true},
      {"mnuüberein", "&Tile vertical", true},
      {"mnunebenein", "T&ile horizontal", true},
      {"mnusymbole", "&Arrange icons", true},
      {"mnuarbeitsplatz", "&Measurement workspace", true},
      {nullptr, "-"},
      {"mnuliste", "W&indows", true}}},
    {"Hilfe",
     "?",
     true,
     {{"mnuHelp", "Help", true},
      {nullptr, "-"},
      {"hlpdeutsch", "Deutsch", true},
      {"hlpenglish", "English", true},
      {nullptr, "-"},
      {"mnuabout", "&About/Support", true}}},
};

// Which table entry each typed member is.
const std::pair<const char*, QAction* MenuActions::*> kTyped[] = {
    {"mnusetload", &MenuActions::mnusetload},
    {"mnuscriptload", &MenuActions::mnuscriptload},
    {"mnugrenzenload", &MenuActions::mnugrenzenload},
    {"mnumessload", &MenuActions::mnumessload},
    {"mnueichload", &MenuActions::mnueichload},
    {"mnusetsave", &MenuActions::mnusetsave},
    {"mnuscriptsave", &MenuActions::mnuscriptsave},
    {"mnugrenzensave", &MenuActions::mnugrenzensave},
    {"mnumesssave", &MenuActions::mnumesssave},
    {"mnueichsave", &MenuActions::mnueichsave},
    {"mnutabpW", &MenuActions::mnutabpW},
    {"mnutabmW", &MenuActions::mnutabmW},
    {"mnutabuV", &MenuActions::mnutabuV},
    {"mnutabuser", &MenuActions::mnutabuser},
    {"mnuprint", &MenuActions::mnuprint},
    {"mnusetprint", &MenuActions::mnusetprint},
    {"mnureport", &MenuActions::mnureport},
    {"mnurecord", &MenuActions::mnurecord},
    {"mnureplay", &MenuActions::mnureplay},
    {"mnudefuser", &MenuActions::mnudefuser},
    {"mnuzwischenab", &MenuActions::mnuzwischenab},
    {"mnupicture", &MenuActions::mnupicture},
    {"mnustartscp", &MenuActions::mnustartscp},
    {"mnuexit", &MenuActions::mnuexit},
    {"mopen", &MenuActions::mopen},
    {"mnusleep", &MenuActions::mnusleep},
    {"mnurechen", &MenuActions::mnurechen},
    {"mnuauto", &MenuActions::mnuauto},
    {"mnufastmode", &MenuActions::mnufastmode},
    {"mnucontrollbox", &MenuActions::mnucontrollbox},
    {"mnuwertepw", &MenuActions::mnuwertepw},
    {"mnuwertemw", &MenuActions::mnuwertemw},
    {"mnuwerteuv", &MenuActions::mnuwerteuv},
    {"mnuwerteuser", &MenuActions::mnuwerteuser},
    {"mnugrenzübpw", &MenuActions::mnugrenzuebpw},
    {"mnugrenzübmw", &MenuActions::mnugrenzuebmw},
    {"mnugrenzübuv", &MenuActions::mnugrenzuebuv},
    {"mnugrenzübuser", &MenuActions::mnugrenzuebuser},
    {"mnupeaks", &MenuActions::mnupeaks},
    {"mnugrenzbox", &MenuActions::mnugrenzbox},
    {"mnuwaterfall", &MenuActions::mnuwaterfall},
    {"mnuboxeich", &MenuActions::mnuboxeich},
    {"mnuboxvergl", &MenuActions::mnuboxvergl},
    {"mnurefbox", &MenuActions::mnurefbox},
    {"mnuconfig", &MenuActions::mnuconfig},
    {"mnulöschen", &MenuActions::mnuloeschen},
    {"mnugenscript", &MenuActions::mnugenscript},
    {"mnuüberlap", &MenuActions::mnuueberlap},
    {"mnuüberein", &MenuActions::mnuueberein},
    {"mnunebenein", &MenuActions::mnunebenein},
    {"mnusymbole", &MenuActions::mnusymbole},
    {"mnuarbeitsplatz", &MenuActions::mnuarbeitsplatz},
    {"mnuliste", &MenuActions::mnuliste},
    {"mnuHelp", &MenuActions::mnuHelp},
    {"hlpdeutsch", &MenuActions::hlpdeutsch},
    {"hlpenglish", &MenuActions::hlpenglish},
    {"mnuabout", &MenuActions::mnuabout},
};

QString Name(const char* utf8) {
    return QString::fromUtf8(utf8);
}

void Fill(QMenu* menu, const std::initializer_list<Item>& items, QHash<QString, QAction*>& actions) {
    for (const Item& item : items) {
        if (!item.name) {
            menu->addSeparator();
            continue;
        }
        if (item.children.size() > 0) {
            QMenu* sub = menu->addMenu(Name(item.caption));
            sub->setObjectName(Name(item.name));
            sub->menuAction()->setObjectName(Name(item.name));
            sub->setEnabled(item.enabled);
            actions.insert(Name(item.name), sub->menuAction());
            Fill(sub, item.children, actions);
        } else {
            QAction* a = menu->addAction(Name(item.caption));
            a->setObjectName(Name(item.name));
            a->setEnabled(item.enabled);
            actions.insert(Name(item.name), a);
        }
    }
}

void Caption(const std::initializer_list<Item>& items, const QHash<QString, QAction*>& actions) {
    for (const Item& item : items) {
        if (!item.name) continue;
        if (QAction* a = actions.value(Name(item.name))) a->setText(Name(item.caption));
        Caption(item.children, actions);
    }
}

}  // namespace

QHash<QString, QAction*> BuildMenuTree(QMenuBar* bar, MenuActions& typed) {
    QHash<QString, QAction*> actions;
    for (const Item& top : kMenus) {
        QMenu* menu = bar->addMenu(Name(top.caption));
        menu->setObjectName(Name(top.name));
        menu->menuAction()->setObjectName(Name(top.name));
        actions.insert(Name(top.name), menu->menuAction());
        Fill(menu, top.children, actions);
    }
    for (const auto& [name, member] : kTyped) typed.*member = actions.value(Name(name));
    return actions;
}

void SetMenuCaptions(const QHash<QString, QAction*>& actions) {
    Caption(kMenus, actions);
}

}  // namespace tk
