-- The profile database's schema. The build turns this script into the
-- template empty.mdb; every user's profile.mdb starts as a copy of it.
-- Declared types keep the column lengths: TEXT(n) holds at most n characters.

CREATE TABLE "Заметки" (
    "Key" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Название" TEXT(50),
    "Содержание" TEXT
);
-- The daily planner finds a day's note by its name at every showing.
CREATE INDEX "Заметки по названию" ON "Заметки" ("Название");

CREATE TABLE "Дневник" (
    "MsgData" DATETIME,
    "Содержание" TEXT
);

CREATE TABLE "Ключи" (
    "Count" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Ключ" TEXT(50),
    "Заблокировано" BOOLEAN NOT NULL DEFAULT 0
);

CREATE TABLE "Адресная книга" (
    "Key" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Имя" TEXT(50),
    "Фамилия" TEXT(50),
    "Отчество" TEXT(50),
    "Телефон1" TEXT(50),
    "Телефон2" TEXT(50),
    "E-mail" TEXT(50),
    "ICQ" TEXT(50),
    "Дата рождения" DATETIME,
    "Напоминать" BOOLEAN NOT NULL DEFAULT 0,
    "Категория" INTEGER,
    "Комментарий" TEXT(50)
);
CREATE INDEX "Адресная книга по фамилии" ON "Адресная книга" ("Фамилия");

CREATE TABLE "Напоминания" (
    "Key" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Текст" TEXT(50),
    "Дата" DATETIME
);
CREATE INDEX "Напоминания по дате" ON "Напоминания" ("Дата", "Key");

CREATE TABLE "Задачи" (
    "Key" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Название" TEXT(50),
    "Комментарий" TEXT(50),
    "Дата" DATETIME,
    "Имя файла" TEXT(255),
    "Тип" TEXT(50)
);
CREATE INDEX "Задачи по дате" ON "Задачи" ("Дата", "Key");

CREATE TABLE "Пароли" (
    "Key" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Принадлежность" TEXT(50),
    "Логин" TEXT(50),
    "Пароль" TEXT(50)
);

CREATE TABLE "Темы" (
    "Key" INTEGER PRIMARY KEY AUTOINCREMENT,
    "Наименование" TEXT(50),
    "Название" TEXT(50),
    "Размер" WORD,
    "FЦветR" WORD,
    "FЦветG" WORD,
    "FЦветB" WORD,
    "Жирный" BOOLEAN NOT NULL DEFAULT 0,
    "Курсив" BOOLEAN NOT NULL DEFAULT 0,
    "Подчёркнутый" BOOLEAN NOT NULL DEFAULT 0,
    "ЦветR" WORD,
    "ЦветG" WORD,
    "ЦветB" WORD,
    "Название2" TEXT(50),
    "Размер2" WORD,
    "FЦветR2" WORD,
    "FЦветG2" WORD,
    "FЦветB2" WORD,
    "Жирный2" BOOLEAN NOT NULL DEFAULT 0,
    "Курсив2" BOOLEAN NOT NULL DEFAULT 0,
    "Подчёркнутый2" BOOLEAN NOT NULL DEFAULT 0
);

-- The three stored secrets, reached by position: diary, password bank, mail box.
INSERT INTO "Ключи" ("Ключ", "Заблокировано") VALUES ('', 0);
INSERT INTO "Ключи" ("Ключ", "Заблокировано") VALUES ('', 0);
INSERT INTO "Ключи" ("Ключ", "Заблокировано") VALUES ('', 0);

-- Ready-made colour schemes: main font, background, tree font. Dark text on
-- light backgrounds only, so edit boxes (always white) stay readable too.
INSERT INTO "Темы" VALUES (NULL, 'Modern', 'Nimbus Sans', 10, 33, 37, 41, 0, 0, 0, 237, 241, 246,
                           'Nimbus Sans', 10, 22, 58, 110, 0, 0, 0);
INSERT INTO "Темы" VALUES (NULL, 'Metal', 'DejaVu Sans', 9, 30, 36, 44, 0, 0, 0, 214, 220, 227,
                           'DejaVu Sans', 9, 20, 40, 70, 1, 0, 0);
INSERT INTO "Темы" VALUES (NULL, 'Classic', 'P052', 11, 48, 34, 20, 0, 0, 0, 250, 244, 228,
                           'C059', 9, 110, 42, 20, 0, 0, 0);
INSERT INTO "Темы" VALUES (NULL, 'Forest', 'DejaVu Serif', 9, 26, 46, 28, 0, 0, 0, 228, 239, 224,
                           'DejaVu Serif', 9, 30, 84, 44, 0, 0, 0);
INSERT INTO "Темы" VALUES (NULL, 'Lavender', 'URW Gothic', 10, 48, 36, 66, 0, 0, 0, 238, 234, 246,
                           'URW Gothic', 10, 84, 52, 120, 0, 0, 0);
