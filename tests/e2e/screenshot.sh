#!/usr/bin/env bash
# Takes the picture of the main window for the documentation: a few
# employees, one of them with three periods, all marked, under a private X
# server like the end-to-end test.
#
# Usage: screenshot.sh <tarvik executable> <output .png>
set -uo pipefail

[ $# -eq 2 ] || { echo "usage: $0 <tarvik executable> <output .png>" >&2; exit 2; }
exe=$1
out=$(realpath -m "$2")
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"

e2e_require_tools
e2e_prepare "$exe"
e2e_start_x
e2e_start_app
e2e_add_employee "Абрамова" "Елена" "Викторовна"
e2e_add_employee "Сидоров" "Алексей" "Николаевич"
e2e_add_employee "Яковлева" "Мария" "Павловна"
# Added last, so he stays the current employee.
e2e_add_employee "Иванов" "Пётр" "Сергеевич"
e2e_key Tab
e2e_add_period "Завод «Прогресс», инженер" "01.03.1990" "15.08.1995" 1 1 0
e2e_add_period "НИИ связи, ведущий инженер" "16.08.1995" "31.12.2004" 1 0 1
e2e_add_period "ООО «Вектор», главный инженер" "10.01.2005" "" 1 1 1
e2e_key ctrl+a
sleep 0.5
timeout 10 import -window "$e2e_main" -define png:compression-level=9 "$out" || e2e_fail "cannot take the picture"
e2e_close_app
echo "saved $out"
