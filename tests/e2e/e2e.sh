#!/usr/bin/env bash
# The whole program under a real X server, driven by key presses like a
# clerk: the first run enters two employees and three periods, marks them and
# closes; the data files must then hold exactly the expected bytes, change log
# and row versions included. The second run on the same folder must load them,
# show the same summaries, and write nothing when closed.
#
# Usage: e2e.sh <tarvik executable> <folder with e2e_*.xml>
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: $0 <tarvik executable> <fixture folder>" >&2; exit 2; }
exe=$1
fixtures=$2
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

e2e_require_tools
e2e_prepare "$exe"
e2e_start_x
base="$e2e_tmp/app/BASE"
files=(Employees.xml Experience_v2.xml)

# --- First run: enter the data.
e2e_start_app
e2e_add_employee "Иванов" "Пётр" "Сергеевич"
e2e_key Tab
e2e_add_period 'ООО "Заря & Ко"' "01.03.1990" "15.08.1995" 1 1 0
e2e_add_period "НИИ связи №2" "16.08.1995" "31.12.2004" 1 0 1
# Space marks the new current period; Ctrl+A then marks only the other one.
e2e_key space
e2e_key ctrl+a
e2e_key Tab
e2e_add_employee "Петрова" "Анна" "Ивановна"
e2e_key Tab
e2e_add_period "Школа № 5" "01.09.2005" "31.08.2020" 1 1 0
# Mark, clear all, mark again: two more row versions of the same period.
e2e_key space
e2e_key alt+a
e2e_key space
e2e_close_app

failed=0
for f in "${files[@]}"; do
    if [ ! -f "$base/$f" ]; then
        echo "$f was not written" >&2
        failed=1
    elif ! cmp -s "$base/$f" "$fixtures/e2e_$f"; then
        echo "$f differs from e2e_$f (expected <, written >):" >&2
        diff <(e2e_show_packet "$fixtures/e2e_$f") <(e2e_show_packet "$base/$f") >&2
        failed=1
    fi
done
[ "$failed" -eq 0 ] || e2e_fail "data files after the first run"

stamp()
{
    stat -c '%n %i %s %y' "${files[@]/#/$base/}"
}
before=$(stamp)

# --- Second run: the same data come back, and nothing is written.
e2e_start_app
today=$(date +%d.%m.%Y)
expected="Итоги по стажу на $today
Иванов Пётр Сергеевич
Итого:
  Трудовой, общий стаж - 14 лет 10 месяцев 1 день
  Страховой, дающий право на льготы стаж - 5 лет 5 месяцев 15 дней
  Непрерывный стаж - 9 лет 4 месяца 16 дней"
shown=$(e2e_summary_text)
[ "$shown" = "$expected" ] \
    || e2e_fail "summary of the first employee:"$'\n'"$(diff <(echo "$expected") <(echo "$shown"))"

# Into the employee list below its rows, then down to the second employee.
xdotool mousemove --window "$e2e_main" 160 600 click 1 || e2e_fail "cannot click the employee list"
sleep 0.3
e2e_key Down
expected="Итоги по стажу на $today
Петрова Анна Ивановна
Итого:
  Трудовой, общий стаж - 15 лет 0 месяцев 1 день
  Страховой, дающий право на льготы стаж - 15 лет 0 месяцев 1 день
  Непрерывный стаж - 0 лет 0 месяцев 0 дней"
shown=$(e2e_summary_text)
[ "$shown" = "$expected" ] \
    || e2e_fail "summary of the second employee:"$'\n'"$(diff <(echo "$expected") <(echo "$shown"))"
e2e_close_app

after=$(stamp)
[ "$before" = "$after" ] \
    || e2e_fail "a run without changes rewrote data files:"$'\n'"$(diff <(echo "$before") <(echo "$after"))"
for f in "${files[@]}"; do
    cmp -s "$base/$f" "$fixtures/e2e_$f" || e2e_fail "$f changed in a run without changes"
done
echo "end-to-end run passed"
