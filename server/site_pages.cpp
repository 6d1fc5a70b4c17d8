// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/site_pages.h"

#include "server/listing_protocol.h"

namespace vexo::server {

namespace {

constexpr std::string_view kMenu =
    "<p><a href=\"/\">Главная</a> | <a href=\"/index/0-8\">Новости</a> | <a href=\"/index/0-9\">Подробнее</a>"
    " | <a href=\"/uploader/enter.php?simple=1\">Управление закачкой</a></p>\n";

std::string Page(std::string_view title, std::string_view body, std::string_view head = {})
{
    std::string page = "<!DOCTYPE html>\n<html lang=\"ru\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
    page += HtmlEscape(title);
    page += "</title>\n";
    page += head;
    page += "</head>\n<body>\n";
    page += kMenu;
    page += "<h1>" + HtmlEscape(title) + "</h1>\n";
    page += body;
    page += "</body>\n</html>\n";
    return page;
}

std::string SizeText(std::int64_t bytes)
{
    return std::to_string(bytes) + " байт";
}

constexpr std::string_view kCloseScript = "<script>window.close();</script>\n";

} // namespace

std::string HtmlEscape(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

std::string StartPage()
{
    return Page("Vexo — обмен медиафайлами",
                "<p>Добро пожаловать! Здесь ждут своих получателей картинки и видео.</p>\n"
                "<p>Загрузите файл на странице <a href=\"/uploader/enter.php?simple=1\">управления закачкой</a>,"
                " и программа заберёт его при следующей проверке.</p>\n"
                "<p>Последние события — в <a href=\"/index/0-8\">новостях</a>.</p>\n");
}

std::string NewsPage()
{
    return Page("Новости", "<h2>Сервер работает</h2>\n"
                           "<p>Файлы учётной записи выдаются по списку, скачиваются и удаляются после получения.</p>\n"
                           "<h2>Закодированные файлы</h2>\n"
                           "<p>Часть файлов выдаётся в закодированном виде; программа раскодирует их сама.</p>\n"
                           "<p><a href=\"/index/0-9\">Подробнее</a></p>\n");
}

std::string DetailPage()
{
    return Page("Подробнее", "<p>Программа проверяет сервер, скачивает ждущие файлы в рабочую папку,"
                             " удаляет их на сервере и раскодирует закодированные файлы.</p>\n"
                             "<p>Разбитые на части файлы (имя.aa, имя.ab, ...) соединяются в один.</p>\n"
                             "<p><a href=\"/index/0-8\">Назад к новостям</a></p>\n");
}

std::string UploadPage(const std::vector<WaitingFile>& files)
{
    std::string body =
        "<form method=\"post\" action=\"/uploader/upload.php\" enctype=\"multipart/form-data\">\n"
        "<p><input type=\"file\" name=\"file\" multiple> <input type=\"submit\" value=\"Загрузить\"></p>\n"
        "</form>\n";
    if (files.empty()) {
        body += "<p>Ждущих файлов нет.</p>\n";
        return Page("Управление закачкой", body);
    }
    body += "<h2>Ждут получения: " + std::to_string(files.size())
            + "</h2>\n<table border=\"1\">\n"
              "<tr><th>Файл</th><th>Выдаётся как</th><th>Размер</th><th></th></tr>\n";
    for (const WaitingFile& file : files) {
        body += "<tr><td>" + HtmlEscape(file.diskName) + "</td><td>" + HtmlEscape(file.listedName) + "</td><td>"
                + SizeText(file.handoutSize()) + "</td><td><a href=\"/uploader/" + HtmlEscape(RemovalReference(file))
                + "\">удалить</a></td></tr>\n";
    }
    body += "</table>\n";
    return Page("Управление закачкой", body);
}

std::string UploadResultPage(const std::vector<std::string>& outcomes)
{
    std::string body = "<ul>\n";
    for (const std::string& outcome : outcomes)
        body += "<li>" + HtmlEscape(outcome) + "</li>\n";
    body += "</ul>\n<p><a href=\"/uploader/enter.php?simple=1\">Вернуться к закачке</a></p>\n";
    return Page("Загрузка", body);
}

std::string RemovedPage(const WaitingFile& file, bool closeWindow)
{
    return Page("Файл удалён", "<p>Файл «" + HtmlEscape(file.diskName) + "» удалён с сервера.</p>\n"
                                   + (closeWindow ? std::string(kCloseScript) : std::string()));
}

std::string RemovalUnknownPage(bool closeWindow)
{
    return Page("Файл не найден", "<p>Такого файла на сервере нет: он уже удалён или не загружался.</p>\n"
                                      + (closeWindow ? std::string(kCloseScript) : std::string()));
}

std::string NotFoundPage(std::string_view path)
{
    return Page("Страница не найдена", "<p>Адреса «" + HtmlEscape(path) + "» на сервере нет.</p>\n");
}

std::string ErrorPage(int status, std::string_view text)
{
    return Page("Ошибка " + std::to_string(status), "<p>" + HtmlEscape(text) + "</p>\n");
}

} // namespace vexo::server
