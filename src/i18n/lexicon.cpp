// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/lexicon.h"

#include <atomic>
#include <cstdint>

namespace i18n {

std::uint64_t Translations::NextVersion() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

Translations::Translations(const Translations& other)
    : texts_(other.texts_), version_(NextVersion()) {}

Translations::Translations(Translations&& other) noexcept
    : texts_(std::move(other.texts_)), version_(NextVersion()) {
    other.texts_.clear();
    other.version_ = NextVersion();
}

Translations& Translations::operator=(const Translations& other) {
    if (this != &other) {
        texts_ = other.texts_;
        version_ = NextVersion();
    }
    return *this;
}

Translations& Translations::operator=(Translations&& other) noexcept {
    if (this != &other) {
        texts_ = std::move(other.texts_);
        other.texts_.clear();
        other.version_ = NextVersion();
        version_ = NextVersion();
    }
    return *this;
}

void Translations::Set(const std::string& key, int index, std::string text) {
    texts_[{key, index}] = std::move(text);
    version_ = NextVersion();
}

const std::string* Translations::Find(const std::string& key, int index) const {
    auto it = texts_.find(std::pair{key, index});
    return it == texts_.end() ? nullptr : &it->second;
}

namespace {

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code >= 0xD800 && code <= 0xDFFF) code = 0xFFFD;  // lone surrogate halves
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool CodeRunAt(std::string_view text, std::size_t pos) {
    return pos + 1 < text.size() && text[pos] == '#' && IsDigit(text[pos + 1]);
}

}  // namespace

std::string ExpandCharacterCodes(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '\'') {
            out += text[i++];
            continue;
        }
        std::size_t runStart = i + 1;
        if (runStart < text.size() && text[runStart] == ' ') ++runStart;
        if (!CodeRunAt(text, runStart)) {
            out += text[i++];  // an apostrophe that starts no run stays
            continue;
        }
        i = runStart;
        while (CodeRunAt(text, i)) {
            std::size_t digits = i + 1;
            std::uint64_t code = 0;
            while (digits < text.size() && IsDigit(text[digits]) && code <= 65535) {
                code = code * 10 + static_cast<std::uint64_t>(text[digits] - '0');
                ++digits;
            }
            if (code > 65535) {
                out.append(text.substr(i));  // too large: the rest stays as written
                return out;
            }
            AppendUtf8(out, static_cast<std::uint32_t>(code));
            i = digits;
        }
        if (i < text.size() && text[i] == ' ') ++i;
        if (i < text.size() && text[i] == '\'') ++i;
    }
    return out;
}

TDesignedLexicon::TDesignedLexicon(std::string key, std::vector<std::string> designItems,
                                   const Translations& language)
    : key_(std::move(key)), items_(std::move(designItems)), language_(language) {}

const std::string& TDesignedLexicon::GetItem(int index) const {
    static const std::string kNone;
    if (index < 0 || index >= Count()) return kNone;
    if (expandedVersion_ != language_.Version()) {
        expanded_.clear();
        for (int i = 0; i < Count(); ++i) {
            const std::string* translated = language_.Find(key_, i);
            expanded_.push_back(ExpandCharacterCodes(
                translated ? *translated : items_[static_cast<std::size_t>(i)]));
        }
        expandedVersion_ = language_.Version();
    }
    return expanded_[static_cast<std::size_t>(index)];
}

TLexicons::TLexicons()
    : Dlang_connect("Form1.Dlang_connect",
                    {"Подключить", "Отключить", "Подключаемся...", "Нет подключения", "Подключено",
                     "Отключено", "Ошибка сканирования!!", "Экон.", "Сон"},
                    language),
      Dlang3("Form1.Dlang3", {"Гц", "Вскз", "В", "Ом", "Гн", "Ф", "скз", "п-п", "мак", "мин"},
             language),
      Dlang1("Form1.Dlang1", {"М", "к", "м", "мк", "н", "п"}, language),
      Dlang2("Form1.Dlang2", {"Последовательная", "Параллельная", "S", "P", "", ""}, language),
      D1("Form1.D1",
         {"Профиль", "Запись данных", "Стоп", "Пусто", "Файл успешно создан!", "Неудача!",
          "Данные эталона", "ru", "Пуск"},
         language),
      D2("Form1.D2",
         {"", "Позиция", "Время", "Основной", "Дополнительн.", "Схема", "Частота", "Уровень",
          "Брак", "Основ.% откл.", "Допол.% откл.", "Наименование", "Основн. эталон",
          "Дополн.эталон", "Нач.позиция", "Интервал"},
         language),
      D3("Form1.D3", {"п", "о", "ПН", "+", "-", "сек", "", "", "", "", "", "", "", ""}, language),
      Dlog("Form1.Dlog",
           {"Журнал не записывается: ", "не создаётся папка", "не создаётся файл",
            "ошибка записи в файл", "ошибка сброса на диск", "строка ",
            "первая строка не заголовок журнала", "нет столбца ", "неверное число полей",
            "неверное значение в столбце ", "текст не в UTF-8",
            "неполная последняя строка пропущена",
            "файл не читается: ", "Файл журнала удалён; строки пишутся в новый файл "},
           language),
      Dlng(kEngineLexiconKey, {"Язык не сменён, файл не читается: "}, language),
      Dstat("Form1.Dstat",
            {"Статистика",
             "Строк",
             "Годные",
             "Брак",
             "основной вне допуска",
             "дополнительный вне допуска",
             "оба вне допуска",
             "Неверный ввод",
             "Выход годных, %",
             "Основной",
             "Дополнительный",
             "среднее",
             "ст. отклонение",
             "минимум",
             "максимум",
             "Cp",
             "Cpk",
             "—",
             "Все",
             "Строка",
             "Эталон",
             "Границы допуска",
             "Отклонение основного, %",
             "Число строк",
             "Значение",
             "Допуск в % выключен"},
            language),
      Dble("Form1.Dble",
           {"Bluetooth LE: нет радиомодуля или не запущена служба Bluetooth",
            "Bluetooth LE: радиомодуль выключен",
            "Bluetooth LE: нет разрешения на работу с Bluetooth",
            "Bluetooth LE: поиск устройств здесь не поддерживается",
            "Bluetooth LE: ошибка поиска устройств", "Bluetooth LE: прибор не найден"},
           language),
      Dprof("Form1.Dprof",
            {"Профиль повреждён: ", "файл короче 4 байт", "отрицательное число записей",
             "записей в заголовке больше, чем в файле", "Нет записи с номером ",
             "Профиль пуст, удалять нечего", "Профиль не открыт",
             "Профиль не записан: ", "Таблица записана в файл: ", "Таблица не записана: ",
             "Профиль не читается: ", "Ошибка", ", записей в профиле: "},
            language),
      Dlink("Form1.Dlink",
            {"Адаптер потерян, порт закрыт:", "Порт не найден:", "Это не последовательный порт:",
             "Нет доступа к порту:",
             "добавьте пользователя в группу dialout (sudo usermod -aG dialout $USER) и войдите "
             "в систему заново",
             "Порт не открывается:", "Настройки не сохраняются:"},
            language),
      Dexport("Form1.Dexport",
              {"Позиция", "Наименование", "Время", "Основной параметр", "Основной, Ом | Гн | Ф",
               "Дополнительный параметр", "Дополнительный (R, Ом; θ, °)", "Rs, Ом", "Xs, Ом",
               "Rp, Ом", "Xp, Ом", "Частота, Гц", "Основ. откл., %", "Допол. откл., %",
               "Брак (0 годен)", "Числа СИ"},
              language),
      Dhelp("Form1.Dhelp",
            {"Справка", "О программе",
             "<h3>Регистратор RLC метров КС</h3>"
             "<p><b>Подключение.</b> Вставьте USB-адаптер Bluetooth LE (или включите Bluetooth "
             "компьютера), включите прибор и нажмите «Подключить»; с флажком «Авто» программа "
             "подключается сама. Ход подключения виден в журнале соединения.</p>"
             "<p><b>Запись.</b> «Пуск» записывает измерения строками в таблицу, повторное "
             "нажатие останавливает запись. Каждая таблица сразу пишется и в файл журнала.</p>"
             "<p><b>Сортировка.</b> Задайте эталон и допуск основного и дополнительного "
             "параметра: строки вне допуска отмечаются в таблице, экран прибора краснеет. "
             "Эталоны хранятся в профилях (.hex1); в режиме «мульти» строки идут по записям "
             "профиля.</p>"
             "<p><b>Экспорт.</b> «В файл EXCEL» записывает таблицу в файл .xlsx и открывает "
             "его; «Статистика» показывает графики и сводку по таблице.</p>"
             "<p><b>Клавиши.</b> F1 — справка, F7 — окно статистики, Esc — закрыть окно "
             "статистики или справки.</p>",
             "<h3>Регистратор RLC метров КС</h3><p>Версия %1</p>"
             "<p>Свободная программа: её можно распространять и изменять на условиях "
             "лицензии GNU General Public License версии 3 или более поздней (%2). "
             "Гарантий нет.</p><p><a href='%3'>%3</a></p>",
             "Закрыть"},
            language),
      Dplot("Form1.Dplot", {"строк пока нет"}, language),
      Dkeys("Form1.Dkeys",
            {"Начать или остановить запись", "Подключить или отключить прибор",
             "Записать таблицу в файл EXCEL", "Очистить таблицу",
             "Прибор не ответил, подключение не состоялось",
             "Адаптер не ответил на запрос подключения"},
            language),
      Dprof_names("Form1.Dprof_names",
                  {"Путь профиля не помещается в 1.dat, он запомнен в файле ",
                   "Профиль открыт только для чтения, целых записей: ", " из ",
                   "; чтобы изменять его, сохраните его под новым именем",
                   "Профиль открыт только для чтения, изменение не записано: "},
                  language),
      Djournal("Form1.Djournal",
               {"файл пуст, это не журнал", "в файле нет ни одного конца строки, это не журнал",
                "строка длиннее 1 МБ, это не строка журнала"},
               language),
      Dnotes("Form1.Dnotes",
             {"Нет программы для файлов .xlsx; файл лежит здесь: ",
              "Показан журнал (только просмотр): ", "Журнал не открывается: ", "Журнал…",
              "К таблице", "; не показаны строки с позицией вне таблицы: "},
             language),
      Dsweep("Form1.Dsweep",
             {"Развёртка",
              "Развёртка по частоте",
              "Пуск",
              "Стоп",
              "Частоты",
              "Отсчётов на точку",
              "Уровень",
              "Схема",
              "последовательная",
              "параллельная",
              "Точка %1 из %2, %3",
              "Готово, точек: %1",
              "Подключите измеритель и включите экран RLC",
              "Идёт запись: остановите её, чтобы начать развёртку",
              "Идёт развёртка по частоте",
              "Сохранить точки…",
              "Сохранить график…",
              "Очистить",
              "Частота, Гц",
              "|Z|, Ом",
              "θ, °",
              "Rs (ESR), Ом",
              "Xs, Ом",
              "L, Гн",
              "C, Ф",
              "D",
              "Q",
              "Разброс, %",
              "Установилась",
              "да",
              "нет",
              "|Z| и ESR, Ом",
              "Фазовый угол θ, °",
              "Частота, Гц",
              "Развёртка прервана: связь с измерителем потеряна",
              "Развёртка остановлена",
              "Точки не записаны: ",
              "Точки записаны в файл: ",
              "График записан в файл: ",
              "График не записан: ",
              "Таблица CSV (*.csv)",
              "Книга Excel (*.xlsx)",
              "Рисунок PNG (*.png)",
              "Рисунок SVG (*.svg)",
              "Команда не ушла к измерителю: выключите правку профиля",
              "Показать D или Q",
              "Развёртка по частоте (F8)",
              "Точки"},
             language),
      Dbins("Form1.Dbins",
            {"Группы", "Рассортировано", "Вне групп", "Брак по второму параметру", "Без группы",
             "Набор", "Остались", "строка", "позиция", "среднее"},
            language) {}

std::vector<const TDesignedLexicon*> TLexicons::All() const {
    // The engine's own lexicon comes last.
    return {&Dlang_connect, &Dlang3,   &Dlang1, &Dlang2, &D1,      &D2,    &D3,    &Dlog,
            &Dstat,         &Dble,     &Dprof,  &Dlink,  &Dexport, &Dhelp, &Dplot, &Dkeys,
            &Dprof_names,   &Djournal, &Dnotes, &Dsweep, &Dbins,   &Dlng};
}

}  // namespace i18n
