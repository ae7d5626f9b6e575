#!/bin/sh
# Runs "tamblero-cli import-statement" on statements it writes (a QIF; a CSV in CP1251 with
# ';', decimal commas and a title line, then the next one read through its columns) into a
# scratch copy of basic.dat, and checks its standard output, exit status and what it left on
# disk.
#   run_statement.sh CASE CLI DATADIR GOLDENDIR
# CASE: qif_twice, csv_cp1251, dry_run, unassigned_refused, ofx, ofx_refused (these two
# exit 77, skipped, where tamblero-ofx was not built beside the program).
# With TAMBLERO_UPDATE_GOLDEN=1 the standard output is written to the golden file instead.
set -u
case=$1 cli=$2 data=$3 golden=$4
work=$(mktemp -d) || exit 1
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1 # paths in the messages are relative, so the same on every run
mkdir d
cp "$data/basic.dat" d/QZData.dat

failed=0
fail() { echo "$case: $1"; failed=1; }
snapshot() { (cd d && ls -A | while IFS= read -r f; do echo "$f $(cksum <"$f")"; done); }
run() {
    "$cli" import-statement "$@" --file d/QZData.dat </dev/null >out 2>err
    status=$?
}
expect() { # STATUS [GOLDEN]
    [ "$status" = "$1" ] || fail "exit status $status, expected $1"
    if [ -n "${2:-}" ]; then
        [ "${TAMBLERO_UPDATE_GOLDEN:-}" = 1 ] && cp out "$golden/$2"
        diff -u "$golden/$2" out || fail "standard output differs from $2"
    fi
    [ "$1" = 0 ] && [ -s err ] && fail "a success wrote to standard error: $(cat err)"
    [ "$1" != 0 ] && [ ! -s err ] && fail "a failure gave no reason"
}
said() { grep -qF -- "$1" err || fail "standard error lacks '$1': $(cat err)"; }

# Paid out, paid in, and a fraction that rounds to nothing; no bank numbers, so that a second
# import finds its rows as the same operations.
cat >st.qif <<'QIF'
!Type:Bank
D03/02/2009
T-1,234.56
PПятёрочка
^
D03/05/2009
T500.00
PЗарплата
^
D03/06/2009
T-7.00
PChips shop
LTransport / Fuel
^
D03/07/2009
T-0.40
PКомиссия
^
QIF

case $case in
qif_twice)
    # Saved with a backup; the account's register shows the expenses and the deposit; the
    # same statement again adds nothing and leaves the file as it was.
    run st.qif --account Savings --unassigned "Food, \"fresh\" / Bread"
    expect 0 statement_qif.out
    cmp -s "$data/basic.dat" d/QZData.dat.bak || fail "no .bak of the file before the import"
    "$cli" register --file d/QZData.dat --account Savings >register
    [ "${TAMBLERO_UPDATE_GOLDEN:-}" = 1 ] && cp register "$golden/statement_qif_register.out"
    diff -u "$golden/statement_qif_register.out" register || fail "the register differs"
    snapshot >before
    run st.qif --account Savings --unassigned "Food, \"fresh\" / Bread"
    expect 0 statement_qif_again.out
    snapshot | diff -u before - || fail "a second import changed the folder"
    ;;
csv_cp1251)
    # The bank's title line passed over, each row's article from its category column where the
    # tree has one, else the one given.
    printf '%s\r\n' 'Выписка по счёту' 'Дата;Номер;Категория;Описание;Сумма' \
        '10.03.2009;A-1;Transport / Fuel;АЗС Лукойл;-1 500,50' \
        '11.03.2009;A-2;Кафе;Шоколадница;-300,00' \
        '12.03.2009;A-3;;Возврат покупки;45,00' | iconv -f UTF-8 -t CP1251 >st.csv
    run st.csv --account Наличные --map date=1,id=2,category=3,description=4,amount=5 \
        --unassigned "Food, \"fresh\" / Bread" --delimiter ';' --encoding cp1251
    expect 0 statement_csv.out
    # The bank's next statement, without --map: read as the account's last one was.
    printf '%s\r\n' 'Выписка по счёту' 'Дата;Номер;Категория;Описание;Сумма' \
        '13.03.2009;A-4;Transport / Fuel;АЗС Роснефть;-990,00' \
        '14.03.2009;A-5;;Перевод;1 000,00' | iconv -f UTF-8 -t CP1251 >next.csv
    run next.csv --account Наличные
    expect 0 statement_csv_again.out
    # Another account has no CSV of its own: refused, naming it, nothing changed.
    snapshot | grep -v '\.lock ' >before
    run next.csv --account Savings
    expect 2
    said "next.csv: read as CSV, which needs --map date=N,description=N,amount=N (or debit=N, credit=N): no CSV imported into the account 'Savings' left its columns"
    snapshot | grep -v '\.lock ' | diff -u before - || fail "a refused import changed the folder"
    ;;
dry_run)
    # Tells what it would add; writes, locks and backs up nothing.
    snapshot >before
    run st.qif --account Savings --unassigned "Transport / Fuel" --dry-run
    expect 0 statement_dry_run.out
    snapshot | diff -u before - || fail "a dry run changed the folder"
    ;;
unassigned_refused)
    # The rows no rule gives an article are named by their lines; nothing changes.
    snapshot >before
    run st.qif --account Savings
    expect 1
    [ -s out ] && fail "a refusal printed to standard output"
    said "st.qif: no rule gives an article to the outgoing row of line 2; name one for it"
    said "nothing was imported"
    snapshot | grep -v '\.lock ' | diff -u before - || fail "a refused import changed the folder"
    ;;
ofx)
    # OFX 1.02 read through the helper: each row named by the line of its FITID, name and
    # memo the note; the same statement again adds nothing and leaves the file as it was.
    [ -x "$(dirname "$cli")/tamblero-ofx" ] || exit 77
    printf '%s\n' 'OFXHEADER:100' 'DATA:OFXSGML' 'VERSION:102' 'SECURITY:NONE' \
        'ENCODING:UTF-8' 'CHARSET:NONE' 'COMPRESSION:NONE' 'OLDFILEUID:NONE' 'NEWFILEUID:NONE' '' \
        '<OFX><SIGNONMSGSRSV1><SONRS><STATUS><CODE>0<SEVERITY>INFO</STATUS><DTSERVER>20090310' \
        '<LANGUAGE>RUS</SONRS></SIGNONMSGSRSV1><BANKMSGSRSV1><STMTTRNRS><TRNUID>1<STATUS>' \
        '<CODE>0<SEVERITY>INFO</STATUS><STMTRS><CURDEF>RUB<BANKACCTFROM><BANKID>1<ACCTID>2' \
        '<ACCTTYPE>CHECKING</BANKACCTFROM><BANKTRANLIST><DTSTART>20090301<DTEND>20090310' \
        '<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20090302<TRNAMT>-1234.56<FITID>F-1<NAME>Пятёрочка' \
        '<MEMO>карта *1234</STMTTRN>' \
        '<STMTTRN><TRNTYPE>CREDIT<DTPOSTED>20090305<TRNAMT>500.00<FITID>F-2<NAME>Зарплата' \
        '</STMTTRN>' \
        '</BANKTRANLIST><LEDGERBAL><BALAMT>100<DTASOF>20090310</LEDGERBAL></STMTRS>' \
        '</STMTTRNRS></BANKMSGSRSV1></OFX>' >st.ofx
    run st.ofx --account Savings --unassigned "Transport / Fuel"
    expect 0 statement_ofx.out
    snapshot >before
    run st.ofx --account Savings --unassigned "Transport / Fuel"
    expect 0 statement_ofx_again.out
    snapshot | diff -u before - || fail "a second import changed the folder"
    ;;
ofx_refused)
    # An unclosed aggregate is named by its line; nothing changes.
    [ -x "$(dirname "$cli")/tamblero-ofx" ] || exit 77
    printf '%s\n' 'OFXHEADER:100' 'DATA:OFXSGML' '' '<OFX><BANKMSGSRSV1><STMTTRNRS>' \
        '<STMTTRN><TRNTYPE>DEBIT<DTPOSTED>20090302<TRNAMT>-1<FITID>1' '</OFX>' >st.ofx
    snapshot >before
    run st.ofx --account Savings --unassigned "Transport / Fuel"
    expect 1
    said "st.ofx: Не удалось прочитать выписку OFX: строка "
    snapshot | grep -v '\.lock ' | diff -u before - || fail "a refused import changed the folder"
    ;;
*)
    fail "no such case"
    ;;
esac
[ "$failed" = 0 ] || { echo "--- standard error:"; cat err; }
exit "$failed"
