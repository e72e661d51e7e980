#!/usr/bin/python3
"""A reader of Quillarbor's stored secrets written from docs/vault-format.md
alone, with PyNaCl (libsodium) and sqlite3, to check that the program stores
what that page promises and opens what another writer sealed.

Passwords and texts come as one JSON object on standard input, never on the
command line, so that Cyrillic and any other characters arrive as typed.

    second_reader.py open PROFILE            stdin {"bank": PW, "diary": PW}
        Opens the bank (row 2 of Ключи) and/or the diary (row 1) with the
        passwords given (a missing or null one is not opened) and prints
        {"bank": {"salt": ..., "accounts": [{"Key", "Принадлежность", "Логин",
        "Пароль"}, ...]}, "diary": {"salt": ..., "locked": bool,
        "pages": [{"date", "text"}, ...]}}. An open diary's pages are printed
        as they are stored, in plain text.

    second_reader.py seal PROFILE bank|diary TABLE/FIELD
                                             stdin {"password": PW, "text": T}
        Derives the key of the password from the stored record, checks it
        against the record's check and prints the text sealed with that key
        and the given associated data.

    second_reader.py record M T              stdin {"password": PW}
        Prints a new key record of the password with memory M KiB and T
        passes and a fresh salt. It does not hold to the minimums, so that a
        test can make whole, rightly sealed records that a reader must refuse.

Exit codes: 0 done, 1 usage or an unreadable profile, 2 wrong password,
3 a key record that is not whole (another shape, parameters below the
minimum), 4 a sealed value that does not open.
"""
import base64
import json
import os
import re
import sqlite3
import sys

import nacl.bindings
import nacl.exceptions
import nacl.pwhash.argon2id

MINIMUM_MEMORY_KIB = 65536
MINIMUM_PASSES = 2
SALT_BYTES = 16
KEY_BYTES = 32
NONCE_BYTES = 24
TAG_BYTES = 16
CHECK_TEXT = "#VAULT#"
VALUE_PREFIX = "qv2:"

KEYS_TABLE = "Ключи"
ACCOUNT_FIELDS = ("Принадлежность", "Логин", "Пароль")

# Decimal numbers without leading zeros; p is 1 and nothing else.
RECORD_SHAPE = re.compile(
    r"qv2\$argon2id\$m=(0|[1-9][0-9]*),t=(0|[1-9][0-9]*),p=(0|[1-9][0-9]*)\$([^$]*)\$([^$]*)")
BASE64_SHAPE = re.compile(r"(?:[A-Za-z0-9+/]{4})*(?:[A-Za-z0-9+/]{2}==|[A-Za-z0-9+/]{3}=)?")


class Refused(Exception):
    def __init__(self, code, message):
        super().__init__(message)
        self.code = code


class WrongPassword(Refused):
    def __init__(self, message):
        super().__init__(2, message)


class DamagedRecord(Refused):
    def __init__(self, message):
        super().__init__(3, message)


class DamagedValue(Refused):
    def __init__(self, message):
        super().__init__(4, message)


def decode_base64(text):
    """The bytes of standard base64 with padding and no line breaks, or None."""
    if not BASE64_SHAPE.fullmatch(text):
        return None
    data = base64.b64decode(text, validate=True)
    # Unused bits must be zero: one text for one byte string.
    if base64.b64encode(data).decode("ascii") != text:
        return None
    return data


def seal(text, key, associated):
    nonce = os.urandom(NONCE_BYTES)
    sealed = nacl.bindings.crypto_aead_xchacha20poly1305_ietf_encrypt(
        text.encode("utf-8"), associated.encode("utf-8"), nonce, key)
    return VALUE_PREFIX + base64.b64encode(nonce + sealed).decode("ascii")


def open_value(value, key, associated, where):
    """The text of a sealed value; DamagedValue for anything that does not open."""
    if not isinstance(value, str) or not value.startswith(VALUE_PREFIX):
        raise DamagedValue(f"{where}: not a sealed value")
    data = decode_base64(value[len(VALUE_PREFIX):])
    if data is None:
        raise DamagedValue(f"{where}: not base64")
    if len(data) < NONCE_BYTES + TAG_BYTES:
        raise DamagedValue(f"{where}: {len(data)} bytes, fewer than a nonce and a tag")
    try:
        plain = nacl.bindings.crypto_aead_xchacha20poly1305_ietf_decrypt(
            data[NONCE_BYTES:], associated.encode("utf-8"), data[:NONCE_BYTES], key)
    except nacl.exceptions.CryptoError:
        raise DamagedValue(f"{where}: does not open under the key with associated data {associated}")
    try:
        return plain.decode("utf-8")
    except UnicodeDecodeError:
        raise DamagedValue(f"{where}: the opened bytes are not UTF-8")


def derive(password, memory_kib, passes, salt):
    return nacl.pwhash.argon2id.kdf(KEY_BYTES, password.encode("utf-8"), salt,
                                    opslimit=passes, memlimit=memory_kib * 1024)


class KeyRecord:
    def __init__(self, text, where):
        self.where = where
        if not isinstance(text, str) or text == "":
            raise Refused(1, f"{where}: no key record stored")
        if not text.startswith("qv2$"):
            raise DamagedRecord(f"{where}: not a key record of the form qv2 (an old verifier?)")
        shape = RECORD_SHAPE.fullmatch(text)
        if not shape:
            raise DamagedRecord(f"{where}: the key record is not of the form "
                                "qv2$argon2id$m=<KiB>,t=<passes>,p=1$<salt>$<check>")
        self.memory_kib, self.passes, parallelism = (int(shape.group(n)) for n in (1, 2, 3))
        if self.memory_kib < MINIMUM_MEMORY_KIB:
            raise DamagedRecord(f"{where}: m={self.memory_kib}, below {MINIMUM_MEMORY_KIB}")
        if self.passes < MINIMUM_PASSES:
            raise DamagedRecord(f"{where}: t={self.passes}, below {MINIMUM_PASSES}")
        if parallelism != 1:
            raise DamagedRecord(f"{where}: p={parallelism}, not 1")
        if self.memory_kib * 1024 > nacl.pwhash.argon2id.MEMLIMIT_MAX \
                or self.passes > nacl.pwhash.argon2id.OPSLIMIT_MAX:
            raise DamagedRecord(f"{where}: parameters beyond what libsodium takes")
        self.salt_text = shape.group(4)
        self.salt = decode_base64(self.salt_text)
        if self.salt is None or len(self.salt) != SALT_BYTES:
            raise DamagedRecord(f"{where}: the salt is not the base64 of {SALT_BYTES} bytes")
        self.check = shape.group(5)
        check = decode_base64(self.check[len(VALUE_PREFIX):]) if self.check.startswith(VALUE_PREFIX) else None
        if check is None or len(check) < NONCE_BYTES + TAG_BYTES:
            raise DamagedRecord(f"{where}: the check is not a sealed value")

    def key(self, password):
        """The key of the password; WrongPassword when it does not open the check."""
        key = derive(password, self.memory_kib, self.passes, self.salt)
        try:
            opened = open_value(self.check, key, "", self.where + " check")
        except DamagedValue:
            raise WrongPassword(f"{self.where}: wrong password")
        if opened != CHECK_TEXT:
            raise WrongPassword(f"{self.where}: wrong password (the check opens to another text)")
        return key


def connect(profile):
    if not os.path.isfile(profile):
        raise Refused(1, f"{profile}: no such file")
    return sqlite3.connect(f"file:{profile}?mode=ro", uri=True)


def key_row(connection, number):
    """Ключ and Заблокировано of the row with the given place (1, 2, 3) by Count."""
    rows = connection.execute(
        f'SELECT "Ключ", "Заблокировано" FROM "{KEYS_TABLE}" ORDER BY "Count"').fetchall()
    if len(rows) < number:
        raise Refused(1, f"{KEYS_TABLE} has {len(rows)} rows, row {number} is missing")
    return rows[number - 1]


def is_true(value):
    if isinstance(value, str):
        return value.strip().lower() in ("1", "true")
    return bool(value)


def record_of(connection, which):
    number = {"diary": 1, "bank": 2}[which]
    text, locked = key_row(connection, number)
    return KeyRecord(text, f"{KEYS_TABLE} row {number} ({which})"), is_true(locked)


def open_bank(connection, password):
    record, _ = record_of(connection, "bank")
    key = record.key(password)
    accounts = []
    for row in connection.execute('SELECT "Key", "Принадлежность", "Логин", "Пароль" FROM "Пароли" ORDER BY "Key"'):
        account = {"Key": row[0]}
        for field, value in zip(ACCOUNT_FIELDS, row[1:]):
            account[field] = open_value(value, key, f"Пароли/{field}", f"Пароли Key {row[0]} {field}")
        accounts.append(account)
    return {"salt": record.salt_text, "accounts": accounts}


def open_diary(connection, password):
    text, locked = key_row(connection, 1)
    rows = connection.execute(
        'SELECT rowid, "MsgData", "Содержание" FROM "Дневник" ORDER BY "MsgData", rowid').fetchall()
    if not is_true(locked):
        # An open diary keeps its pages in plain text; its record, if any, stays.
        salt = KeyRecord(text, f"{KEYS_TABLE} row 1 (diary)").salt_text if text else None
        return {"salt": salt, "locked": False,
                "pages": [{"date": date, "text": page} for _, date, page in rows]}
    record = KeyRecord(text, f"{KEYS_TABLE} row 1 (diary)")
    key = record.key(password)
    pages = [{"date": date, "text": open_value(page, key, "Дневник/Содержание", f"Дневник page {date} (rowid {rowid})")}
             for rowid, date, page in rows]
    return {"salt": record.salt_text, "locked": True, "pages": pages}


def read_input():
    try:
        given = json.loads(sys.stdin.buffer.read().decode("utf-8") or "{}")
    except (UnicodeDecodeError, json.JSONDecodeError) as failure:
        raise Refused(1, f"standard input is not a JSON object: {failure}")
    if not isinstance(given, dict):
        raise Refused(1, "standard input is not a JSON object")
    return given


def run(arguments):
    if len(arguments) == 2 and arguments[0] == "open":
        given = read_input()
        connection = connect(arguments[1])
        result = {}
        if given.get("bank") is not None:
            result["bank"] = open_bank(connection, given["bank"])
        if given.get("diary") is not None:
            result["diary"] = open_diary(connection, given["diary"])
        return json.dumps(result, ensure_ascii=False)
    if len(arguments) == 4 and arguments[0] == "seal" and arguments[2] in ("bank", "diary"):
        given = read_input()
        record, _ = record_of(connect(arguments[1]), arguments[2])
        return seal(given["text"], record.key(given["password"]), arguments[3])
    if len(arguments) == 3 and arguments[0] == "record":
        given = read_input()
        memory_kib, passes = int(arguments[1]), int(arguments[2])
        salt = os.urandom(SALT_BYTES)
        key = derive(given["password"], memory_kib, passes, salt)
        return (f"qv2$argon2id$m={memory_kib},t={passes},p=1$"
                f"{base64.b64encode(salt).decode('ascii')}${seal(CHECK_TEXT, key, '')}")
    raise Refused(1, __doc__)


def main():
    try:
        output = run(sys.argv[1:])
    except Refused as refusal:
        sys.stderr.buffer.write(f"second_reader: {refusal}\n".encode("utf-8"))
        return refusal.code
    except (KeyError, ValueError, TypeError) as failure:
        sys.stderr.buffer.write(f"second_reader: bad input: {failure!r}\n{__doc__}".encode("utf-8"))
        return 1
    except sqlite3.Error as failure:
        sys.stderr.buffer.write(f"second_reader: the profile cannot be read: {failure}\n".encode("utf-8"))
        return 1
    sys.stdout.buffer.write(output.encode("utf-8") + b"\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
