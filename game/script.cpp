#include "game/script.h"

#include "game/avatar.h"
#include "game/field.h"
#include "game/game.h"
#include "game/mines.h"

#include <cstdlib>
#include <sstream>

namespace {

bool Number(const std::string& s, LONG* p)
{
    if (s.empty() || s.size() > 9)
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    *p = std::atol(s.c_str());
    return true;
}

bool Pair(const std::string& s, LONG* a, LONG* b)
{
    const auto comma = s.find(',');
    return comma != std::string::npos && Number(s.substr(0, comma), a) && Number(s.substr(comma + 1), b);
}

bool ParseElement(const std::string& word, SCRIPTELEMENT* e)
{
    *e = SCRIPTELEMENT{};
    const auto colon = word.find(':');
    const std::string head = word.substr(0, colon);
    const std::string arg = colon == std::string::npos ? std::string() : word.substr(colon + 1);
    const bool fArg = colon != std::string::npos;
    if (head == "1" || head == "3" || head == "5") {
        e->lKind = head == "1" ? seWalk : head == "3" ? seWaitCube : seText;
        return fArg && Pair(arg, &e->a, &e->b);
    }
    if (head == "6" || head == "w") {
        e->lKind = head == "6" ? seNarration : seWaitFrames;
        return fArg && Number(arg, &e->a);
    }
    if (fArg)
        return false;
    if (head == "0")
        e->lKind = seEnd;
    else if (head == "2")
        e->lKind = sePlant;
    else if (head == "4")
        e->lKind = seDetonate;
    else if (head == "r")
        e->lKind = seRoll;
    else if (head == "c")
        e->lKind = seClear;
    else
        return false;
    return true;
}

// Whether the element's condition holds; a walk steers meanwhile.
bool MayGoOn(SCRIPTRUN* run, const SCRIPTELEMENT& e)
{
    const ACTIVEPUZZLE& ap = g.ActivePuzzle;
    switch (e.lKind) {
    case seEnd: return false;
    case seWalk: {
        const float x = SquareCentreX(e.a), z = SquareCentreZ(e.b);
        if (static_cast<LONG>((x - g.Avatar.X) * 5) != 0 || static_cast<LONG>((z - g.Avatar.Z) * 5) != 0) {
            AvatarWalkTowards(x, z);
            return false;
        }
        AvatarSetWalking(false);
        return true;
    }
    case seWaitCube:
        return e.a >= 0 && e.a < kMaxWidth && e.b >= 0 && e.b < kMaxLength &&
               ap.aCubes[e.b][e.a].lKind != ckNone && ap.fRollAngle == 0;
    case seWaitFrames:
        if (run->lWaitLeft > 0) {
            --run->lWaitLeft;
            return false;
        }
        return true;
    default: return true;
    }
}

void Enter(SCRIPTRUN* run, const SCRIPTELEMENT& e)
{
    switch (e.lKind) {
    case sePlant: PlantMine(); break;
    case seDetonate: Detonate(); break;
    case seText:
        if (run->Actions.pfnText)
            run->Actions.pfnText(e.a, e.b);
        break;
    case seNarration:
        if (run->Actions.pfnNarration)
            run->Actions.pfnNarration(e.a);
        break;
    case seWaitFrames: run->lWaitLeft = e.a; break;
    case seRoll: StartRollNow(); break;
    case seClear: ClearMinesCommand(); break;
    default: break;
    }
}

}  // namespace

bool ParseScript(const char* pszText, std::vector<SCRIPTELEMENT>* pOut, std::string* pError)
{
    pOut->clear();
    std::istringstream in(pszText ? pszText : "");
    std::string word;
    while (in >> word) {
        SCRIPTELEMENT e;
        if (!ParseElement(word, &e)) {
            if (pError)
                *pError = word;
            return false;
        }
        pOut->push_back(e);
    }
    return true;
}

void ScriptStart(SCRIPTRUN* pRun, const SCRIPTELEMENT* pElements, LONG cElements)
{
    const SCRIPTACTIONS actions = pRun->Actions;
    *pRun = SCRIPTRUN{pElements, cElements, -1, 0, actions};
}

void ScriptStep(SCRIPTRUN* pRun)
{
    if (ScriptDone(pRun))
        return;
    if (pRun->lStep == -1) {
        if (g.ActivePuzzle.fGrow != kNoGrow)
            return;
    } else if (!MayGoOn(pRun, pRun->pElements[pRun->lStep])) {
        return;
    }
    ++pRun->lStep;
    if (pRun->lStep < pRun->cElements)
        Enter(pRun, pRun->pElements[pRun->lStep]);
}

bool ScriptDone(const SCRIPTRUN* pRun)
{
    return pRun->lStep >= pRun->cElements ||
           (pRun->lStep >= 0 && pRun->pElements[pRun->lStep].lKind == seEnd);
}
