#pragma once

namespace tildo {

class UserInterface;

// The option check marks that steer a pass, read once into plain fields. A
// pass reads them at the start of every scan and again after every question:
// the user can change a mark only while a question waits, so a change still
// takes effect at the next word, and the hot path asks the interface nothing.
struct TPassOptions
{
    bool Mark = false; // "Помечать исправленное": changed letters in blue
    bool FastScroll = false; // "Быстрая промотка": the caret moves only to show a question
    bool CheckYo = false; // "Проверять расстановку "ё"": words with ё are examined too
    bool NoVarOnly = false; // "Только бесспорные замены"
    bool VarOnly = false; // "Только обязательные замены"
    bool ProposeLast = false; // "Предлагать последний вариант"
    bool FBFormat = false; // "Формат "FictionBook"": stop at "<BINARY"
    bool CombiWords = false; // "Анализ словосочетаний"
    bool AlwaysAsk = false; // "Всегда подтверждать замену"
    bool Context = false; // "Решать по контексту": the grammar around a variant word decides it

    static TPassOptions Read(const UserInterface& ui);
};

} // namespace tildo
