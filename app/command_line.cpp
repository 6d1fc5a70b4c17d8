// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"

#include <algorithm>

namespace vexo {

namespace {

constexpr const char* kHelp = "Использование: vexorama [/a] [/d] [ПАПКА]\n"
                              "Клиент сервиса Vexo: расшифровывает файлы сервиса, соединяет файлы,\n"
                              "разбитые на части, и забирает файлы, ждущие на сервере.\n"
                              "\n"
                              "  ПАПКА      рабочая папка на этот запуск (она же запоминается)\n"
                              "  /a         расшифровать и соединить всё в рабочей папке и выйти;\n"
                              "             код выхода 1, если было сообщение об ошибке\n"
                              "  /d         удалять расшифрованные и соединённые файлы\n"
                              "  --help     показать эту справку и выйти\n"
                              "  --version  показать версию и выйти\n";

bool Asks(const std::vector<std::string>& args, const char* option)
{
    return std::find(args.begin(), args.end(), option) != args.end();
}

} // namespace

std::optional<std::string> InformationAsked(const std::vector<std::string>& args)
{
    if (Asks(args, "--help"))
        return std::string(kHelp);
    if (Asks(args, "--version"))
        return std::string("vexorama ") + VEXO_VERSION + "\n";
    return std::nullopt;
}

} // namespace vexo
