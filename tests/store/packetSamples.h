#pragma once

#include "store/packet.h"

#include <QByteArray>
#include <QStringView>

// Column layouts and values of the two data files, for the packet tests.
namespace packetsamples {

std::vector<store::PacketColumn> EmployeeColumns();
std::vector<store::PacketColumn> PeriodColumns();

// Code-page bytes of a text.
QByteArray Cp(QStringView text);
store::PacketValue Text(QStringView text);
store::PacketValue Day(int year, int month, int day);

// An employee row: ID, FName, LName, MName.
store::PacketRow Employee(quint8 state, qint64 id, QStringView first, QStringView last, QStringView middle);

} // namespace packetsamples
