// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line_help.h"

#include "base/program_version.h"

#include <algorithm>

namespace vexo {

namespace {

constexpr const char* kUsageLine = "Использование: vexorama [/a] [/d] [--tray] [ПАПКА]\n";

constexpr const char* kHelpBody = "Клиент сервиса Vexo: расшифровывает файлы сервиса, соединяет файлы,\n"
                                  "разбитые на части, и забирает файлы, ждущие на сервере.\n"
                                  "\n"
                                  "  ПАПКА      рабочая папка на этот запуск (запоминается полным путём)\n"
                                  "  /a         расшифровать и соединить всё в рабочей папке и выйти;\n"
                                  "             код выхода 1, если было сообщение об ошибке, и 2, если\n"
                                  "             ПАПКА не существует (тогда ничего не делается)\n"
                                  "  /d         удалять расшифрованные и соединённые файлы\n"
                                  "  --tray     запуститься свёрнутым в трей и включить автопроверку\n"
                                  "  -h, --help показать эту справку и выйти\n"
                                  "  --version  показать версию и выйти\n"
                                  "\n"
                                  "С одним файлом настроек работает одна копия программы: запуск\n"
                                  "при работающей копии показывает её окно, передаёт ей ПАПКУ и\n"
                                  "завершается. Запуски с /a работают рядом с окном.\n"
                                  "Папку, имя которой начинается с \"-\", задают как ./-имя.\n";

constexpr const char* kTrayOption = "--tray";

// Everything the program itself takes that looks like an option; Qt has
// taken its own out of the command line before this is asked.
bool IsKnownOption(const std::string& arg)
{
    return arg == kTrayOption || arg == "--help" || arg == "-h" || arg == "--version";
}

bool Asks(const std::vector<std::string>& args, const char* option)
{
    return std::find(args.begin(), args.end(), option) != args.end();
}

} // namespace

std::optional<std::string> InformationAsked(const std::vector<std::string>& args)
{
    if (Asks(args, "--help") || Asks(args, "-h"))
        return std::string(kUsageLine) + kHelpBody;
    if (Asks(args, "--version"))
        return std::string("vexorama ") + VEXO_VERSION + "\n";
    return std::nullopt;
}

std::optional<std::string> UsageError(const std::vector<std::string>& args)
{
    for (const std::string& arg : args) {
        if (arg.starts_with('-') && !IsKnownOption(arg))
            return "vexorama: неизвестный параметр: " + arg + "\n" + kUsageLine;
    }
    return std::nullopt;
}

} // namespace vexo
