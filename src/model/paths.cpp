#include "model/paths.h"

namespace orvant::paths {

namespace {

std::string cat(std::initializer_list<std::string_view> parts) {
  std::string out;
  for (std::string_view p : parts) out += p;
  return out;
}

std::string str(long long v) { return std::to_string(v); }

}  // namespace

std::string paramFile(std::string_view N) { return cat({"Dat/Orvant", N, ".dat"}); }
std::string jplBlock(std::string_view year) { return cat({"JPL/ascp", year, ".405"}); }
std::string recordNew(std::string_view N) { return cat({"NEW/Orvant", N, "Nab.txt"}); }
std::string recordJpl(std::string_view N) { return cat({"JPL/Orvant", N, "Nab.txt"}); }
std::string recordKin(std::string_view k, std::string_view N) {
  return cat({"Kin/Plan", k, "/Orvant", N, "Nab.txt"});
}
std::string recordModel(std::string_view k, std::string_view N, std::string_view e) {
  return cat({"Plan", k, "/Txt", N, "/Orvant", N, "Ras", e, ".txt"});
}
std::string coordinateFile(std::string_view N, std::string_view e) {
  return cat({"Dat/Orvant", N, "XYZ", e, ".txt"});
}
std::string observedShiftNew() { return "NEW/OrvantNab.dat"; }
std::string observedShiftJpl() { return "JPL/OrvantNab.dat"; }
std::string observedShiftKin() { return "Kin/OrvantNab.dat"; }
std::string calculatedShift(std::string_view k, std::string_view N) {
  return cat({"Plan", k, "/Orvant", N, "Ras.dat"});
}
std::string planFile(std::string_view k) { return cat({"Plan", k, "/OrvantPlan", k, ".dat"}); }
std::string nabPlan(std::string_view Nf) { return cat({"Dat/NabPlan", Nf, ".txt"}); }
std::string obsPlanFile(std::string_view src, std::string_view k, std::string_view name,
                        std::string_view N, std::string_view e) {
  return cat({src, "/Plan", k, "/", name, N, "_", e, ".dat"});
}
std::string obsFile(std::string_view ObsName, std::string_view Npl, std::string_view FileNo) {
  return cat({"Obs/", ObsName, Npl, "_G_", FileNo, ".txt"});
}
std::string goodObsFile(std::string_view ObsName, std::string_view Npl, std::string_view FileNo,
                        bool byDistance) {
  return cat({"Obs/", ObsName, Npl, "_G_", FileNo, byDistance ? "LB" : "L", ".txt"});
}
std::string tabWorkbook(std::string_view name) { return cat({"Tab/", name, ".xls"}); }
std::string reductionTrace(std::string_view ObsName, std::string_view Npl, std::string_view FileNo) {
  return cat({"Dat/Ras_data_", ObsName, Npl, "_", FileNo, ".txt"});
}
std::string badData(std::string_view ObsName, std::string_view Npl, std::string_view FileNo) {
  return cat({"Dat/Bad_data", ObsName, Npl, "_", FileNo, ".txt"});
}
std::string statReport(std::string_view ObsName, std::string_view Npl, std::string_view FileNo) {
  return cat({"Dat/Stat", ObsName, Npl, "_", FileNo, ".txt"});
}
std::string perturbationFile(std::string_view N) { return cat({"Dat/dL", N, ".dat"}); }
std::string timeYerLog() { return "Dat/TimeYer_data.txt"; }
std::string paramLog() { return "Dat/Param_data.txt"; }
std::string soundSeriesEnd() { return "Arhiv/Zvuk_end1.wav"; }
std::string soundObservationsEnd() { return "Arhiv/tada.wav"; }

std::string paramFile(int N) { return paramFile(str(N)); }
std::string jplBlock(int year) { return jplBlock(str(year)); }
std::string recordNew(int N) { return recordNew(str(N)); }
std::string recordJpl(int N) { return recordJpl(str(N)); }
std::string recordKin(int k, int N) { return recordKin(str(k), str(N)); }
std::string recordModel(int k, int N, int e) { return recordModel(str(k), str(N), str(e)); }
std::string coordinateFile(int N, int e) { return coordinateFile(str(N), str(e)); }
std::string calculatedShift(int k, int N) { return calculatedShift(str(k), str(N)); }
std::string planFile(int k) { return planFile(str(k)); }
std::string nabPlan(int Nf) { return nabPlan(str(Nf)); }
std::string perturbationFile(long long N) { return perturbationFile(str(N)); }

const std::vector<Folder>& folders() {
  static const std::vector<Folder> list = {
      {"Dat", "параметры и начальные данные, координаты прогонов, отчеты наблюдений, журналы затмений"},
      {"JPL", "файлы эфемерид JPL DE405 и ряды параметров орбит имитатора JPL0 / JPL2"},
      {"NEW", "ряды параметров орбит имитатора New0 и наблюдаемые вековые смещения"},
      {"Kin", "ряды параметров орбит теории Kin0 по планам и наблюдаемые смещения"},
      {"Plan<k>", "план k оптимизации скорости гравитации: уровни, веса, рассчитанные смещения"},
      {"Plan<k>/Txt<N>", "ряды параметров орбиты объекта N в опытах плана k"},
      {"<src>/Plan<k>", "опыты плана наблюдений k по источнику наблюдений"},
      {"Obs", "ряды наблюдений обсерваторий и их принятые копии"},
      {"Tab", "книги древних таблиц (электронные таблицы)"},
      {"Arhiv", "звуки окончания серий"},
  };
  return list;
}

const std::vector<FileFamily>& fileFamilies() {
  static const std::vector<FileFamily> list = {
      {"Dat", paramFile("<N>"), "Параметры и начальные данные",
       "Пишется экраном 1 («Сохранить параметры и данные в файле №»), читается им же (источник "
       "«параметры и данные из файла»). Дата данных, масса Солнца, постоянная тяготения и "
       "астрономическая единица, затем по одной строке на объект 0..10: параметры орбиты (AlfaL, "
       "R0sr, W0sr, Eks0, Betta0, AlfaP0, AlfaU0), начальные координаты и скорости X0..VZ0 и "
       "отношение масс, целыми числами с масштабом."},
      {"Dat", coordinateFile("<N>", "<e>"), "Координаты прогона",
       "Пишется экраном 2 при отмеченном «Записать координаты  X, Y, Z»: заголовок опыта и по строке "
       "на каждую точку вывода — дата, время модели, X, Y, Z и расстояние (тыс. км), VX, VY, VZ и "
       "скорость (м/с), энергия системы."},
      {"Dat", nabPlan("<Nf>"), "Критерии натурных опытов плана",
       "Значения критерия опытов многофакторного плана с Nf факторами для рабочего места планов "
       "(экран 18)."},
      {"Dat", reductionTrace("<ObsName>", "<Npl>", "<FileNo>"), "Протокол редукции наблюдений",
       "Пишется экраном 10: по строке на наблюдение — дата, наблюденные и вычисленные координаты "
       "объекта и их разности после всех поправок (световое время, аберрация, прецессия, нутация, "
       "параллакс, рефракция)."},
      {"Dat", badData("<ObsName>", "<Npl>", "<FileNo>"), "Отброшенные наблюдения",
       "Пишется экраном 10: наблюдения, чьи невязки вышли за допустимый предел."},
      {"Dat", statReport("<ObsName>", "<Npl>", "<FileNo>"), "Статистика невязок",
       "Пишется экраном 10: средние, среднеквадратичные невязки и их распределение по классам."},
      {"Dat", perturbationFile("<N>"), "Таблица возмущений планет экрана 22",
       "Коэффициенты периодических возмущений всех планет, сохраненные экраном 22 под номером файла N "
       "(«Записать в файл №»); читаются им же («Загрузить из файла №»)."},
      {"Dat", timeYerLog(), "Журнал Солнца у равноденствий и солнцестояний",
       "Пишется экраном 16 («+File TimeYer»): шаги, на которых долгота Солнца в пределах 1° от 0°, 90°, "
       "180° или 270°, с его геоцентрическими и топоцентрическими координатами, рассчитанными прямо и "
       "обратно."},
      {"Dat", paramLog(), "Журнал затмений и прохождений",
       "Пишется экраном 16: шаги расчета солнечных и лунных затмений и прохождений Меркурия и "
       "Венеры для наблюдателя."},
      {"JPL", jplBlock("<year>"), "Эфемериды JPL DE405",
       "Коэффициенты Чебышёва эфемерид DE405 в текстовом виде JPL, блоками по 20 лет; только "
       "читаются (источник JPL2 экрана 1, имитатор JPL2 экрана 2, наблюдения)."},
      {"JPL", recordJpl("<N>"), "Ряд параметров орбиты (JPL0, JPL2)",
       "Пишется экраном 2 в прогоне имитаторов JPL0 и JPL2, читается экраном 6: заголовок опыта, "
       "затем по записи на прохождение перигелия и афелия — номер замера, прошедшие дни, "
       "перигелий, восходящий узел, наклон, эксцентриситет, полуось, угловая скорость."},
      {"JPL", observedShiftJpl(), "Наблюдаемые вековые смещения (JPL)",
       "Пишется экраном 6: вековые смещения параметров орбит планет за столетие по ряду JPL."},
      {"NEW", recordNew("<N>"), "Ряд параметров орбиты (New0)",
       "Пишется экраном 2 в прогоне имитатора New0, читается экраном 6; устроен как ряд JPL."},
      {"NEW", observedShiftNew(), "Наблюдаемые вековые смещения (New0)",
       "Пишется экраном 6: вековые смещения по теории New0, наблюдаемые данные для экрана 15."},
      {"Kin", recordKin("<k>", "<N>"), "Ряд параметров орбиты (Kin0)",
       "Пишется экраном 13 (оптимум плана наблюдений k), читается экраном 6."},
      {"Kin", observedShiftKin(), "Наблюдаемые вековые смещения (Kin0)",
       "Пишется экраном 6: вековые смещения по теории Kin0."},
      {"Plan<k>", planFile("<k>"), "Уровни и веса плана оптимизации",
       "Уровни факторов и весовые коэффициенты плана k оптимизации скорости гравитации (экран 15); "
       "веса правятся на экране 19."},
      {"Plan<k>", calculatedShift("<k>", "<N>"), "Рассчитанные вековые смещения",
       "Пишется экраном 6 по рядам модели: смещения параметров объекта N в каждом опыте плана k, "
       "из которых экран 15 строит критерий."},
      {"Plan<k>/Txt<N>", recordModel("<k>", "<N>", "<e>"), "Ряд параметров орбиты модели",
       "Пишется экраном 2 в прогоне модели (опыт e плана k), читается экраном 6."},
      {"<src>/Plan<k>", obsPlanFile("<src>", "<k>", "<name>", "<N>", "<e>"), "Опыт плана наблюдений",
       "Пишется экранами 13 и 10: уровни факторов опыта e плана наблюдений k и его критерий по "
       "наблюдениям объекта N (для рядов обсерваторий в имени есть и номер файла)."},
      {"Obs", obsFile("<ObsName>", "<Npl>", "<FileNo>"), "Ряд наблюдений обсерватории",
       "Наблюдения объекта Npl обсерваторией ObsName в столбцах постоянной ширины; только "
       "читаются экраном 10."},
      {"Obs", goodObsFile("<ObsName>", "<Npl>", "<FileNo>", true), "Принятые наблюдения",
       "Пишется экраном 10: копия ряда из принятых наблюдений (LB — по расстоянию, L — по "
       "долготе)."},
      {"Tab", tabWorkbook("<name>"), "Древняя таблица",
       "Книга электронной таблицы древнего астронома; экран 10 задает в ней дату и читает "
       "вычисленные положения."},
      {"Arhiv", soundSeriesEnd(), "Звук конца серии опытов",
       "Проигрывается экраном 15 по окончании серии опытов оптимизации."},
      {"Arhiv", soundObservationsEnd(), "Звук конца обработки наблюдений",
       "Проигрывается экраном 10 по окончании серии опытов плана наблюдений."},
  };
  return list;
}

}  // namespace orvant::paths
