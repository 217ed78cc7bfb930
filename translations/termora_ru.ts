<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>Book</name>
    <message>
        <source>The folder &quot;%1&quot; could not be made.</source>
        <translation>Не удалось создать папку «%1».</translation>
    </message>
    <message>
        <source>The export was cancelled.</source>
        <translation>Экспорт отменён.</translation>
    </message>
    <message>
        <source>The margins leave no room for the text on the page.</source>
        <translation>Поля не оставляют на странице места для текста.</translation>
    </message>
    <message>
        <source>Printing was cancelled.</source>
        <translation>Печать отменена.</translation>
    </message>
    <message>
        <source>The printer is busy with another job.</source>
        <translation>Принтер занят другим заданием.</translation>
    </message>
    <message>
        <source>The glossary has no letter &quot;%1&quot;.</source>
        <translation>В словаре нет буквы «%1».</translation>
    </message>
</context>
<context>
    <name>DataSet</name>
    <message>
        <source>Delete record?</source>
        <translation>Удалить запись?</translation>
    </message>
    <message>
        <source>Nothing was changed.</source>
        <translation>Ничего не изменено.</translation>
    </message>
    <message>
        <source>Try again in a moment.</source>
        <translation>Повторите попытку чуть позже.</translation>
    </message>
    <message>
        <source>The record was deleted by another user. Refresh to see the table as it is now.</source>
        <translation>Запись удалена другим пользователем. Обновите таблицу, чтобы увидеть её текущее состояние.</translation>
    </message>
    <message>
        <source>Your changes were not stored and are still in the record; try again in a moment.</source>
        <translation>Изменения не сохранены и остались в записи; повторите попытку чуть позже.</translation>
    </message>
    <message>
        <source>The record was changed by another user since it was read. Your changes were not stored and are still in the record.</source>
        <translation>Запись изменена другим пользователем после того, как была прочитана. Ваши изменения не сохранены и остались в записи.</translation>
    </message>
    <message>
        <source>The record was deleted by another user. Your changes were not stored and are still in the record.</source>
        <translation>Запись удалена другим пользователем. Ваши изменения не сохранены и остались в записи.</translation>
    </message>
    <message>
        <source>Your changes were not stored and are still in the record; nothing else was changed.</source>
        <translation>Изменения не сохранены и остались в записи; больше ничего не изменено.</translation>
    </message>
    <message>
        <source>The record was not deleted; try again in a moment.</source>
        <translation>Запись не удалена; повторите попытку чуть позже.</translation>
    </message>
    <message>
        <source>The record was changed or deleted by another user since it was read. It was not deleted.</source>
        <translation>Запись изменена или удалена другим пользователем после того, как была прочитана. Она не удалена.</translation>
    </message>
    <message>
        <source>The record was not deleted; nothing was changed.</source>
        <translation>Запись не удалена; ничего не изменено.</translation>
    </message>
    <message>
        <source>The table %1 is busy: another program is writing to it. %2</source>
        <translation>Таблица %1 занята: в неё записывает другая программа. %2</translation>
    </message>
    <message>
        <source>First record</source>
        <translation>Первая запись</translation>
    </message>
    <message>
        <source>Prior record</source>
        <translation>Предыдущая запись</translation>
    </message>
    <message>
        <source>Next record</source>
        <translation>Следующая запись</translation>
    </message>
    <message>
        <source>Last record</source>
        <translation>Последняя запись</translation>
    </message>
    <message>
        <source>Insert record</source>
        <translation>Добавить запись</translation>
    </message>
    <message>
        <source>Delete record</source>
        <translation>Удалить запись</translation>
    </message>
    <message>
        <source>Edit record</source>
        <translation>Изменить запись</translation>
    </message>
    <message>
        <source>Post edit</source>
        <translation>Сохранить изменения</translation>
    </message>
    <message>
        <source>Cancel edit</source>
        <translation>Отменить изменения</translation>
    </message>
    <message>
        <source>Refresh data</source>
        <translation>Обновить данные</translation>
    </message>
    <message>
        <source>The table file %1 is damaged: %2.

%3 Put the file back from a backup, as &quot;Backing up&quot; in Termora&apos;s README describes.</source>
        <translation>Файл таблицы %1 повреждён: %2.

%3 Восстановите файл из резервной копии, как описано в разделе «Backing up» файла README программы Termora.</translation>
    </message>
    <message>
        <source>The table file %1 could not be %2 (%3%4). Nothing was stored.</source>
        <translation>Не удалось %2 файл таблицы %1 (%3%4). Ничего не сохранено.</translation>
    </message>
    <message>
        <source>changed</source>
        <translation>изменить</translation>
    </message>
    <message>
        <source>read or written</source>
        <translation>прочитать или записать</translation>
    </message>
    <message>
        <source>The table file %1 cannot be changed: %2.</source>
        <translation>Файл таблицы %1 нельзя изменить: %2.</translation>
    </message>
    <message>
        <source>The table file %1 cannot be changed: it could only be opened for reading.</source>
        <translation>Файл таблицы %1 нельзя изменить: его удалось открыть только для чтения.</translation>
    </message>
    <message>
        <source>The table file %1 cannot be changed: its folder %2 takes no new files, and a change is written through one (%3).</source>
        <translation>Файл таблицы %1 нельзя изменить: в его папке %2 нельзя создавать файлы, а изменение записывается через новый файл (%3).</translation>
    </message>
    <message>
        <source>Nothing was changed; try again once there is space.</source>
        <translation>Ничего не изменено; повторите, когда на диске появится место.</translation>
    </message>
    <message>
        <source>Your changes were not stored and are still in the window: make room on the disk, then post them again.</source>
        <translation>Изменения не сохранены и остались в окне: освободите место на диске и сохраните их снова.</translation>
    </message>
    <message>
        <source>The record was not deleted; delete it again once there is space.</source>
        <translation>Запись не удалена; удалите её снова, когда на диске появится место.</translation>
    </message>
    <message>
        <source>The disk that holds the table file %1 is full (%2). %3</source>
        <translation>Диск, на котором лежит файл таблицы %1, заполнен (%2). %3</translation>
    </message>
    <message>
        <source>&apos;%1&apos; cannot hold the invisible character U+%2 (a control character, a line break or a change of writing direction). Type it without that character.</source>
        <translation>«%1» не может содержать невидимый символ U+%2 (управляющий символ, разрыв строки или смену направления письма). Введите без этого символа.</translation>
    </message>
</context>
<context>
    <name>Editor</name>
    <message>
        <source>Page Setup</source>
        <translation>Параметры страницы</translation>
    </message>
    <message>
        <source>Printer</source>
        <translation>Принтер</translation>
    </message>
    <message>
        <source>&amp;Name:</source>
        <translation>&amp;Имя:</translation>
    </message>
    <message>
        <source>Paper</source>
        <translation>Бумага</translation>
    </message>
    <message>
        <source>Si&amp;ze:</source>
        <translation>&amp;Размер:</translation>
    </message>
    <message>
        <source>Orientation</source>
        <translation>Ориентация</translation>
    </message>
    <message>
        <source>P&amp;ortrait</source>
        <translation>&amp;Книжная</translation>
    </message>
    <message>
        <source>L&amp;andscape</source>
        <translation>&amp;Альбомная</translation>
    </message>
    <message>
        <source>Margins (inches)</source>
        <translation>Поля (дюймы)</translation>
    </message>
    <message>
        <source>Margins (millimeters)</source>
        <translation>Поля (миллиметры)</translation>
    </message>
    <message>
        <source>&amp;Left:</source>
        <translation>&amp;Левое:</translation>
    </message>
    <message>
        <source>&amp;Top:</source>
        <translation>&amp;Верхнее:</translation>
    </message>
    <message>
        <source>&amp;Right:</source>
        <translation>&amp;Правое:</translation>
    </message>
    <message>
        <source>&amp;Bottom:</source>
        <translation>&amp;Нижнее:</translation>
    </message>
    <message>
        <source>Paper %1</source>
        <translation>Бумага %1</translation>
    </message>
    <message>
        <source>The margins leave no room for the text on the page.</source>
        <translation>Поля не оставляют на странице места для текста.</translation>
    </message>
    <message>
        <source>Edit Rich Text</source>
        <translation>Правка текста</translation>
    </message>
    <message>
        <source>Date and Time</source>
        <translation>Дата и время</translation>
    </message>
    <message>
        <source>&amp;Spelling</source>
        <translation>&amp;Орфография</translation>
    </message>
    <message>
        <source>Error in resize</source>
        <translation>Ошибка при изменении размера</translation>
    </message>
    <message>
        <source>Automatic</source>
        <translation>Авто</translation>
    </message>
    <message>
        <source>Rich Text Files (*.RTF)|*.RTF|Text Files (*.TXT)|*.TXT</source>
        <translation>Файлы RTF (*.RTF)|*.RTF|Текстовые файлы (*.TXT)|*.TXT</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Печать</translation>
    </message>
    <message>
        <source>A new file in the Documents folder</source>
        <translation>Новый файл в папке «Документы»</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Обзор...</translation>
    </message>
    <message>
        <source>C&amp;ollate</source>
        <translation>&amp;Разобрать по копиям</translation>
    </message>
    <message>
        <source>&amp;Printer:</source>
        <translation>&amp;Принтер:</translation>
    </message>
    <message>
        <source>&amp;File:</source>
        <translation>&amp;Файл:</translation>
    </message>
    <message>
        <source>&amp;Copies:</source>
        <translation>&amp;Копии:</translation>
    </message>
    <message>
        <source>Print to File</source>
        <translation>Печать в файл</translation>
    </message>
    <message>
        <source>PDF files (*.pdf *.PDF)</source>
        <translation>Файлы PDF (*.pdf *.PDF)</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Подтверждение</translation>
    </message>
    <message>
        <source>OK to overwrite %s</source>
        <translation>Заменить файл %s?</translation>
    </message>
    <message>
        <source>Printed to %1</source>
        <translation>Напечатано в %1</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid font size. Enter a whole number of points from 1 to 1638.</source>
        <translation>«%1» — недопустимый размер шрифта. Введите целое число пунктов от 1 до 1638.</translation>
    </message>
    <message>
        <source>Regular</source>
        <translation>Обычный</translation>
    </message>
    <message>
        <source>Italic</source>
        <translation>Курсив</translation>
    </message>
    <message>
        <source>Bold</source>
        <translation>Полужирный</translation>
    </message>
    <message>
        <source>Bold Italic</source>
        <translation>Полужирный курсив</translation>
    </message>
    <message>
        <source>Font</source>
        <translation>Шрифт</translation>
    </message>
    <message>
        <source>&amp;Font:</source>
        <translation>&amp;Шрифт:</translation>
    </message>
    <message>
        <source>Font st&amp;yle:</source>
        <translation>&amp;Начертание:</translation>
    </message>
    <message>
        <source>&amp;Size:</source>
        <translation>&amp;Размер:</translation>
    </message>
    <message>
        <source>Effects</source>
        <translation>Видоизменение</translation>
    </message>
    <message>
        <source>Stri&amp;keout</source>
        <translation>З&amp;ачёркнутый</translation>
    </message>
    <message>
        <source>&amp;Underline</source>
        <translation>&amp;Подчёркнутый</translation>
    </message>
    <message>
        <source>Sample</source>
        <translation>Образец</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>ОК</translation>
    </message>
    <message>
        <source>There is no font with that name.
Choose a font from the list of fonts.</source>
        <translation>Шрифта с таким именем нет.
Выберите шрифт из списка.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid font size. Enter a whole number of points from 1 to %2.</source>
        <translation>«%1» — недопустимый размер шрифта. Введите целое число пунктов от 1 до %2.</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is not a valid number.</source>
        <translation>«%1» — недопустимое число.</translation>
    </message>
    <message>
        <source>The rich text editor window is not available.</source>
        <translation>Окно редактора текста недоступно.</translation>
    </message>
    <message>
        <source>The editing control could not be created.</source>
        <translation>Не удалось создать поле редактирования.</translation>
    </message>
    <message>
        <source>%1 Properties</source>
        <translation>Свойства: %1</translation>
    </message>
    <message>
        <source>&amp;Link to term…</source>
        <translation>&amp;Ссылка на термин…</translation>
    </message>
    <message>
        <source>Remove lin&amp;k</source>
        <translation>Удалить сс&amp;ылку</translation>
    </message>
    <message>
        <source> &amp;Object</source>
        <translation>: &amp;объект</translation>
    </message>
    <message>
        <source>Link Properties</source>
        <translation>Свойства связи</translation>
    </message>
    <message>
        <source>Cannot link to an invalid source.</source>
        <translation>Нельзя связать с недопустимым источником.</translation>
    </message>
    <message>
        <source>Break link operation is not supported.</source>
        <translation>Разрыв связи не поддерживается.</translation>
    </message>
</context>
<context>
    <name>Exchange</name>
    <message>
        <source>Cannot write the file: %1</source>
        <translation>Не удалось записать файл: %1</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>The glossary was changed since the file was compared with it.</source>
        <translation>Словарь изменился после того, как файл был с ним сравнён.</translation>
    </message>
    <message>
        <source>The import was stopped.</source>
        <translation>Импорт остановлен.</translation>
    </message>
    <message>
        <source>Cannot create the folder %1.</source>
        <translation>Не удалось создать папку %1.</translation>
    </message>
</context>
<context>
    <name>Form1</name>
    <message>
        <source>The glossary tables could not be opened.</source>
        <translation>Не удалось открыть таблицы словаря.</translation>
    </message>
    <message>
        <source>Edit Rich Text</source>
        <translation>Правка текста</translation>
    </message>
    <message>
        <source>Find mentions of other terms…</source>
        <translation>Найти упоминания других терминов…</translation>
    </message>
    <message>
        <source>The term&apos;s name was not stored.</source>
        <translation>Название термина не сохранено.</translation>
    </message>
</context>
<context>
    <name>LockWaitWindow</name>
    <message>
        <source>Waiting for another Termora window…</source>
        <translation>Ожидание другого окна Termora…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>Printer</name>
    <message>
        <source>The PDF file &quot;%1&quot; could not be written: %2</source>
        <translation>Не удалось записать файл PDF «%1»: %2</translation>
    </message>
    <message>
        <source>PDF file</source>
        <translation>Файл PDF</translation>
    </message>
    <message>
        <source>There is no default printer currently selected</source>
        <translation>Принтер по умолчанию не выбран</translation>
    </message>
    <message>
        <source>The PDF file &quot;%1&quot; could not be started.</source>
        <translation>Не удалось начать файл PDF «%1».</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; is not available.</source>
        <translation>Принтер «%1» недоступен.</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; refused the job.</source>
        <translation>Принтер «%1» отклонил задание.</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; could not start page %2.</source>
        <translation>Принтер «%1» не смог начать страницу %2.</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; could not finish the job.</source>
        <translation>Принтер «%1» не смог завершить задание.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>The file “%1” does not exist.</source>
        <translation>Файл «%1» не существует.</translation>
    </message>
    <message>
        <source>The file “%1” is too large to embed (%2 MB; at most %3 MB). Insert it as a link instead.</source>
        <translation>Файл «%1» слишком велик для внедрения (%2 МБ; не более %3 МБ). Вставьте его как связь.</translation>
    </message>
    <message>
        <source>The file “%1” cannot be read: %2</source>
        <translation>Не удалось прочитать файл «%1»: %2</translation>
    </message>
    <message>
        <source>Objects of type “%1” cannot be created empty.</source>
        <translation>Объекты типа «%1» нельзя создать пустыми.</translation>
    </message>
    <message>
        <source>New object</source>
        <translation>Новый объект</translation>
    </message>
    <message>
        <source>The object was not made by this program.</source>
        <translation>Объект создан не этой программой.</translation>
    </message>
    <message>
        <source>The object&apos;s data is damaged.</source>
        <translation>Данные объекта повреждены.</translation>
    </message>
    <message>
        <source>The object is too large to open.</source>
        <translation>Объект слишком велик, чтобы его открыть.</translation>
    </message>
    <message>
        <source>The file “%1” does not exist or cannot be read.</source>
        <translation>Файл «%1» не существует или не читается.</translation>
    </message>
    <message>
        <source>The linked file “%1” no longer exists.</source>
        <translation>Связанного файла «%1» больше нет.</translation>
    </message>
    <message>
        <source>The linked file “%1” cannot be read.</source>
        <translation>Не удалось прочитать связанный файл «%1».</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Открыть</translation>
    </message>
    <message>
        <source>Open &amp;With...</source>
        <translation>Открыть &amp;с помощью...</translation>
    </message>
    <message>
        <source>&amp;Save Copy As...</source>
        <translation>Сохранить &amp;копию как...</translation>
    </message>
    <message>
        <source>Invalid Verb</source>
        <translation>Недопустимое действие</translation>
    </message>
    <message>
        <source>No private folder could be made for the object&apos;s copy.</source>
        <translation>Не удалось создать личную папку для копии объекта.</translation>
    </message>
    <message>
        <source>The object&apos;s file name cannot be used.</source>
        <translation>Имя файла объекта нельзя использовать.</translation>
    </message>
    <message>
        <source>The object&apos;s copy cannot be written: %1</source>
        <translation>Не удалось записать копию объекта: %1</translation>
    </message>
    <message>
        <source>No application is set to open files of type “%1” (%2).</source>
        <translation>Не задано приложение для файлов типа «%1» (%2).</translation>
    </message>
    <message>
        <source>The application could not be started.</source>
        <translation>Не удалось запустить приложение.</translation>
    </message>
    <message>
        <source>Save Copy As</source>
        <translation>Сохранить копию как</translation>
    </message>
    <message>
        <source>The copy cannot be saved as “%1”: %2</source>
        <translation>Не удалось сохранить копию как «%1»: %2</translation>
    </message>
    <message>
        <source>Open With</source>
        <translation>Открыть с помощью</translation>
    </message>
    <message>
        <source>Open “%1” with:</source>
        <translation>Открыть «%1» с помощью:</translation>
    </message>
    <message>
        <source>Or a command:</source>
        <translation>Или командой:</translation>
    </message>
    <message>
        <source>Not enough memory for the object.</source>
        <translation>Недостаточно памяти для объекта.</translation>
    </message>
    <message>
        <source>The object does not support this operation.</source>
        <translation>Объект не поддерживает это действие.</translation>
    </message>
    <message>
        <source>The operation is not supported.</source>
        <translation>Действие не поддерживается.</translation>
    </message>
    <message>
        <source>The object&apos;s source cannot be reached.</source>
        <translation>Источник объекта недоступен.</translation>
    </message>
    <message>
        <source>The object operation failed (error 0x%1).</source>
        <translation>Действие с объектом не удалось (ошибка 0x%1).</translation>
    </message>
    <message>
        <source>Object</source>
        <translation>Объект</translation>
    </message>
    <message>
        <source>This object was made by another program (its type is “%1”). It is kept and shown as it is, but it cannot be opened here.</source>
        <translation>Этот объект создан другой программой (его тип — «%1»). Он сохраняется и показывается как есть, но открыть его здесь нельзя.</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестен</translation>
    </message>
    <message>
        <source>The object&apos;s data is damaged. It is kept and shown as it is, but it cannot be opened.</source>
        <translation>Данные объекта повреждены. Он сохраняется и показывается как есть, но открыть его нельзя.</translation>
    </message>
    <message>
        <source>The object holds more than %1 MB and is not opened. It is kept and shown as it is.</source>
        <translation>Объект занимает больше %1 МБ и не открывается. Он сохраняется и показывается как есть.</translation>
    </message>
    <message>
        <source>The link points to “%1”, which is not a regular file; it is not opened.</source>
        <translation>Связь указывает на «%1», а это не обычный файл; он не открывается.</translation>
    </message>
    <message>
        <source>The link points to “%1”, which is a program or a launcher: opening it would run it, so it is not opened. Use Save Copy As to look at it.</source>
        <translation>Связь указывает на «%1» — программу или файл запуска: открыв, его бы запустили, поэтому он не открывается. Чтобы посмотреть его, используйте «Сохранить копию как».</translation>
    </message>
    <message>
        <source>This object links to a file that was not chosen by you:

%1

Open it only if you know where the text came from and expect this file.</source>
        <translation>Этот объект связан с файлом, который выбрали не вы:

%1

Открывайте его, только если знаете, откуда взялся текст, и ждёте этот файл.</translation>
    </message>
</context>
<context>
    <name>Search</name>
    <message>
        <source>The glossary cannot be read.</source>
        <translation>Словарь не удаётся прочитать.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to.</source>
        <translation>В папку %1 нельзя записывать.</translation>
    </message>
    <message>
        <source>The search index is not open yet.</source>
        <translation>Поисковый индекс ещё не открыт.</translation>
    </message>
    <message>
        <source>The term is no longer in the index.</source>
        <translation>Термина больше нет в индексе.</translation>
    </message>
</context>
<context>
    <name>Shell</name>
    <message>
        <source>Copying...</source>
        <translation>Копирование...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
    <message>
        <source>Copying %1</source>
        <translation>Копирование: %1</translation>
    </message>
</context>
<context>
    <name>TqvDBRichEditIntl</name>
    <message>
        <source>Redo | Reverses the last undo action</source>
        <translation>Вернуть | Возвращает отменённое действие</translation>
    </message>
    <message>
        <source>Font | Changes the font of the selection</source>
        <translation>Шрифт | Меняет шрифт выделенного текста</translation>
    </message>
    <message>
        <source>Font Size | Changes the font size of the selection</source>
        <translation>Размер шрифта | Меняет размер шрифта выделенного текста</translation>
    </message>
    <message>
        <source>New | Creates a new document</source>
        <translation>Создать | Создаёт новый документ</translation>
    </message>
    <message>
        <source>Load | Load from file</source>
        <translation>Открыть | Загружает текст из файла</translation>
    </message>
    <message>
        <source>Save As | Save to file</source>
        <translation>Сохранить как | Сохраняет текст в файл</translation>
    </message>
    <message>
        <source>Print | Prints the active document</source>
        <translation>Печать | Печатает документ</translation>
    </message>
    <message>
        <source>Find | Finds the specified text</source>
        <translation>Найти | Ищет заданный текст</translation>
    </message>
    <message>
        <source>Cut | Cuts the selection and puts it on the Clipboard</source>
        <translation>Вырезать | Вырезает выделенный текст в буфер обмена</translation>
    </message>
    <message>
        <source>Copy | Copies the selection and puts it on the Clipboard</source>
        <translation>Копировать | Копирует выделенный текст в буфер обмена</translation>
    </message>
    <message>
        <source>Undo | Reverses the last action</source>
        <translation>Отменить | Отменяет последнее действие</translation>
    </message>
    <message>
        <source>Paste | Inserts Clipboard contents</source>
        <translation>Вставить | Вставляет содержимое буфера обмена</translation>
    </message>
    <message>
        <source>Bold | Makes the selection bold (toggle)</source>
        <translation>Полужирный | Делает выделенный текст полужирным (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Color | Formats the selection with a color</source>
        <translation>Цвет | Задаёт цвет выделенного текста</translation>
    </message>
    <message>
        <source>Underline | Formats the selection with a continuous underline (toggle)</source>
        <translation>Подчёркнутый | Подчёркивает выделенный текст сплошной линией (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Italic | Makes the selection italic (toggle)</source>
        <translation>Курсив | Делает выделенный текст курсивом (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Align Left | Left-justifies paragraph (toggle)</source>
        <translation>По левому краю | Выравнивает абзац по левому краю (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Center | Center-justifies paragraph (toggle)</source>
        <translation>По центру | Выравнивает абзац по центру (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Align Right | Right-justifies paragraph (toggle)</source>
        <translation>По правому краю | Выравнивает абзац по правому краю (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Justify | Full Justification for paragraph (toggle)</source>
        <translation>По ширине | Выравнивает абзац по ширине (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Bullets | Inserts a bullet on this line (toggle)</source>
        <translation>Маркеры | Ставит маркер в начале строки (вкл./выкл.)</translation>
    </message>
    <message>
        <source>Highlight Text | Makes the selection highlighted</source>
        <translation>Выделение цветом | Выделяет текст цветом</translation>
    </message>
    <message>
        <source>Save And Exit | Saves changes and exits editor</source>
        <translation>Сохранить и выйти | Сохраняет изменения и закрывает редактор</translation>
    </message>
    <message>
        <source>Page Setup | Changes page layout settings</source>
        <translation>Параметры страницы | Меняет параметры страницы</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Erases the Selection</source>
        <translation>Удаляет выделенный текст</translation>
    </message>
    <message>
        <source>Selects all of the text</source>
        <translation>Выделяет весь текст</translation>
    </message>
    <message>
        <source>Repeats the last find</source>
        <translation>Повторяет последний поиск</translation>
    </message>
    <message>
        <source>Replaces specific text with different text</source>
        <translation>Заменяет заданный текст другим</translation>
    </message>
    <message>
        <source>Inserts new embedded object</source>
        <translation>Вставляет новый внедрённый объект</translation>
    </message>
    <message>
        <source>Check spelling</source>
        <translation>Проверка орфографии</translation>
    </message>
    <message>
        <source>Shows or hides the toolbar</source>
        <translation>Показывает или скрывает панель инструментов</translation>
    </message>
    <message>
        <source>Shows or hides the format bar</source>
        <translation>Показывает или скрывает панель форматирования</translation>
    </message>
    <message>
        <source>Shows or hides the status bar</source>
        <translation>Показывает или скрывает строку состояния</translation>
    </message>
    <message>
        <source>Sets options</source>
        <translation>Задаёт параметры</translation>
    </message>
    <message>
        <source>Selects font for current selection</source>
        <translation>Выбирает шрифт выделенного текста</translation>
    </message>
    <message>
        <source>Formats current or selected paragraph(s)</source>
        <translation>Задаёт формат текущего или выделенных абзацев</translation>
    </message>
    <message>
        <source>Sets tabs</source>
        <translation>Задаёт позиции табуляции</translation>
    </message>
    <message>
        <source>CAP</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
</context>
<context>
    <name>TqvIntl</name>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;ОК</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>TqvRichEditMenuLabels</name>
    <message>
        <source>&amp;Insert</source>
        <translation>Вст&amp;авка</translation>
    </message>
    <message>
        <source>&amp;Ruler</source>
        <translation>&amp;Линейка</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Вернуть</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>&amp;Load</source>
        <translation>&amp;Открыть...</translation>
    </message>
    <message>
        <source>Save &amp;As</source>
        <translation>Сохранить &amp;как...</translation>
    </message>
    <message>
        <source>&amp;Save and Exit</source>
        <translation>&amp;Сохранить и выйти</translation>
    </message>
    <message>
        <source>&amp;Print</source>
        <translation>&amp;Печать...</translation>
    </message>
    <message>
        <source>Page Set&amp;up</source>
        <translation>Пара&amp;метры страницы...</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>В&amp;ыход</translation>
    </message>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Отменить</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Вы&amp;резать</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Вст&amp;авить</translation>
    </message>
    <message>
        <source>Cle&amp;ar</source>
        <translation>&amp;Удалить</translation>
    </message>
    <message>
        <source>Select A&amp;ll</source>
        <translation>Выделить вс&amp;ё</translation>
    </message>
    <message>
        <source>&amp;Find</source>
        <translation>&amp;Найти...</translation>
    </message>
    <message>
        <source>Find &amp;Next</source>
        <translation>Найти &amp;далее</translation>
    </message>
    <message>
        <source>R&amp;eplace</source>
        <translation>&amp;Заменить...</translation>
    </message>
    <message>
        <source>&amp;Object...</source>
        <translation>&amp;Объект...</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>С&amp;ервис</translation>
    </message>
    <message>
        <source>Check &amp;Spelling</source>
        <translation>&amp;Орфография</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Вид</translation>
    </message>
    <message>
        <source>&amp;Toolbar</source>
        <translation>&amp;Панель инструментов</translation>
    </message>
    <message>
        <source>&amp;Format Bar</source>
        <translation>Панель &amp;форматирования</translation>
    </message>
    <message>
        <source>&amp;Status Bar</source>
        <translation>&amp;Строка состояния</translation>
    </message>
    <message>
        <source>&amp;Options</source>
        <translation>П&amp;араметры</translation>
    </message>
    <message>
        <source>F&amp;ormat</source>
        <translation>Фор&amp;мат</translation>
    </message>
    <message>
        <source>&amp;Font</source>
        <translation>&amp;Шрифт...</translation>
    </message>
    <message>
        <source>&amp;Bullet Style</source>
        <translation>&amp;Маркированный список</translation>
    </message>
    <message>
        <source>&amp;Paragraph</source>
        <translation>&amp;Абзац...</translation>
    </message>
    <message>
        <source>&amp;Tabs</source>
        <translation>&amp;Табуляция...</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
</context>
<context>
    <name>TqvRichEditParagraphDlg</name>
    <message>
        <source>Single</source>
        <translation>Одинарный</translation>
    </message>
    <message>
        <source>1.5 Lines</source>
        <translation>Полуторный</translation>
    </message>
    <message>
        <source>Double</source>
        <translation>Двойной</translation>
    </message>
    <message>
        <source>At least</source>
        <translation>Минимум</translation>
    </message>
    <message>
        <source>Exactly</source>
        <translation>Точно</translation>
    </message>
    <message>
        <source>Multiple</source>
        <translation>Множитель</translation>
    </message>
    <message>
        <source>Paragraph</source>
        <translation>Абзац</translation>
    </message>
    <message>
        <source>Indentation</source>
        <translation>Отступ</translation>
    </message>
    <message>
        <source>Left Indentation</source>
        <translation>Отступ слева</translation>
    </message>
    <message>
        <source>Right Indentation</source>
        <translation>Отступ справа</translation>
    </message>
    <message>
        <source>First Line of Paragraph Indentation</source>
        <translation>Отступ первой строки абзаца</translation>
    </message>
    <message>
        <source>Changes Alignment of Paragraph</source>
        <translation>Меняет выравнивание абзаца</translation>
    </message>
    <message>
        <source>Left:</source>
        <translation>Слева:</translation>
    </message>
    <message>
        <source>Right:</source>
        <translation>Справа:</translation>
    </message>
    <message>
        <source>First line:</source>
        <translation>Первая строка:</translation>
    </message>
    <message>
        <source>Spacing</source>
        <translation>Интервал</translation>
    </message>
    <message>
        <source>&amp;Before</source>
        <translation>&amp;Перед</translation>
    </message>
    <message>
        <source>Aft&amp;er</source>
        <translation>По&amp;сле</translation>
    </message>
    <message>
        <source>Li&amp;ne Spacing</source>
        <translation>&amp;Междустрочный</translation>
    </message>
    <message>
        <source>&amp;At</source>
        <translation>&amp;Значение</translation>
    </message>
    <message>
        <source>Alignment</source>
        <translation>Выравнивание</translation>
    </message>
    <message>
        <source>Left</source>
        <translation>По левому краю</translation>
    </message>
    <message>
        <source>Right</source>
        <translation>По правому краю</translation>
    </message>
    <message>
        <source>Center</source>
        <translation>По центру</translation>
    </message>
    <message>
        <source>Justify</source>
        <translation>По ширине</translation>
    </message>
</context>
<context>
    <name>TqvRichEditPopupMenuLabels</name>
    <message>
        <source>&amp;Edit</source>
        <translation>&amp;Правка</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Просмотр</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Вы&amp;резать</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Копировать</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>Вст&amp;авить</translation>
    </message>
    <message>
        <source>&amp;Font</source>
        <translation>&amp;Шрифт...</translation>
    </message>
    <message>
        <source>&amp;Bullet Style</source>
        <translation>&amp;Маркированный список</translation>
    </message>
    <message>
        <source>B&amp;old</source>
        <translation>&amp;Жирный</translation>
    </message>
    <message>
        <source>&amp;Italic</source>
        <translation>К&amp;урсив</translation>
    </message>
    <message>
        <source>&amp;Underline</source>
        <translation>По&amp;дчёркнутый</translation>
    </message>
    <message>
        <source>P&amp;aragraph</source>
        <translation>Абза&amp;ц...</translation>
    </message>
    <message>
        <source>&amp;Tabs</source>
        <translation>&amp;Табуляция...</translation>
    </message>
    <message>
        <source>Fin&amp;d</source>
        <translation>&amp;Найти...</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>&amp;Заменить...</translation>
    </message>
    <message>
        <source>Insert &amp;Object...</source>
        <translation>Вставить &amp;объект...</translation>
    </message>
    <message>
        <source>Object P&amp;roperties</source>
        <translation>Свойства объ&amp;екта</translation>
    </message>
    <message>
        <source>Check &amp;Spelling</source>
        <translation>Проверка ор&amp;фографии</translation>
    </message>
</context>
<context>
    <name>TqvRichEditTabDlg</name>
    <message>
        <source>Tab</source>
        <translation>Табуляция</translation>
    </message>
    <message>
        <source>&amp;Tab Stop Position</source>
        <translation>&amp;Позиции табуляции</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>Установить</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Удалить</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>Удалить все</translation>
    </message>
    <message>
        <source>Tab Position Edit Box</source>
        <translation>Позиция табуляции</translation>
    </message>
    <message>
        <source>List of tabs and their positions</source>
        <translation>Список позиций табуляции</translation>
    </message>
    <message>
        <source>Set a new tab position</source>
        <translation>Устанавливает новую позицию табуляции</translation>
    </message>
    <message>
        <source>Clear the selected tab position</source>
        <translation>Удаляет выбранную позицию табуляции</translation>
    </message>
    <message>
        <source>Clear all the tabs</source>
        <translation>Удаляет все позиции табуляции</translation>
    </message>
</context>
<context>
    <name>TqvUserMessagesIntl</name>
    <message>
        <source>Discard changes to this record?</source>
        <translation>Отменить изменения этой записи?</translation>
    </message>
    <message>
        <source>Invalid characters. Field : </source>
        <translation>Недопустимые символы. Поле : </translation>
    </message>
    <message>
        <source>No matches found</source>
        <translation>Совпадений не найдено</translation>
    </message>
    <message>
        <source>No more matches found</source>
        <translation>Больше совпадений не найдено</translation>
    </message>
    <message>
        <source>Changes have been made!  Are you sure you wish to cancel?</source>
        <translation>Текст изменён!  Отменить изменения?</translation>
    </message>
    <message>
        <source>Changes have been made!  Do you wish to save your changes?</source>
        <translation>Текст изменён!  Сохранить изменения?</translation>
    </message>
    <message>
        <source>Clear entire text?</source>
        <translation>Удалить весь текст?</translation>
    </message>
    <message>
        <source>The spell check is complete.</source>
        <translation>Проверка орфографии завершена.</translation>
    </message>
    <message>
        <source>Unable to start Microsoft Word&apos;s Spell Checker.</source>
        <translation>Не удалось запустить проверку орфографии.</translation>
    </message>
    <message>
        <source>You have not selected any search criteria</source>
        <translation>Условия поиска не выбраны</translation>
    </message>
</context>
<context>
    <name>platform::TFindDialog</name>
    <message>
        <source>Replace</source>
        <translation>Замена</translation>
    </message>
    <message>
        <source>Find</source>
        <translation>Поиск</translation>
    </message>
    <message>
        <source>Fi&amp;nd what:</source>
        <translation>&amp;Найти:</translation>
    </message>
    <message>
        <source>Re&amp;place with:</source>
        <translation>&amp;Заменить на:</translation>
    </message>
    <message>
        <source>Match &amp;whole word only</source>
        <translation>Только слово &amp;целиком</translation>
    </message>
    <message>
        <source>Match &amp;case</source>
        <translation>С учётом &amp;регистра</translation>
    </message>
    <message>
        <source>&amp;Find Next</source>
        <translation>Найти &amp;далее</translation>
    </message>
    <message>
        <source>&amp;Replace</source>
        <translation>За&amp;менить</translation>
    </message>
    <message>
        <source>Replace &amp;All</source>
        <translation>Заменить &amp;все</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>platform::TInsertObjectDialog</name>
    <message>
        <source>Insert Object</source>
        <translation>Вставка объекта</translation>
    </message>
    <message>
        <source>Create &amp;New</source>
        <translation>Создать &amp;новый</translation>
    </message>
    <message>
        <source>Create from &amp;File</source>
        <translation>Создать из &amp;файла</translation>
    </message>
    <message>
        <source>Object &amp;Type:</source>
        <translation>&amp;Тип объекта:</translation>
    </message>
    <message>
        <source>Fi&amp;le:</source>
        <translation>Ф&amp;айл:</translation>
    </message>
    <message>
        <source>&amp;Browse...</source>
        <translation>&amp;Обзор...</translation>
    </message>
    <message>
        <source>&amp;Link</source>
        <translation>&amp;Связь</translation>
    </message>
    <message>
        <source>Result</source>
        <translation>Результат</translation>
    </message>
    <message>
        <source>&amp;Display As Icon</source>
        <translation>В &amp;виде значка</translation>
    </message>
    <message>
        <source>object</source>
        <translation>объект</translation>
    </message>
    <message>
        <source>Inserts a new, empty %1 shown as an icon, and opens it in its application for you to fill in.</source>
        <translation>Вставляет новый пустой объект (%1) в виде значка и открывает его в приложении, чтобы вы его заполнили.</translation>
    </message>
    <message>
        <source>Inserts a new, empty %1 and opens it in its application for you to fill in.</source>
        <translation>Вставляет новый пустой объект (%1) и открывает его в приложении, чтобы вы его заполнили.</translation>
    </message>
    <message>
        <source>Inserts an icon that stands for the file and links to it: opening the icon opens the file itself, and the definition keeps only its place.</source>
        <translation>Вставляет значок, связанный с файлом: значок открывает сам файл, а определение хранит только его расположение.</translation>
    </message>
    <message>
        <source>Inserts a picture of the file that links to it: opening it opens the file itself, and the definition keeps only its place.</source>
        <translation>Вставляет изображение файла, связанное с ним: оно открывает сам файл, а определение хранит только его расположение.</translation>
    </message>
    <message>
        <source>Inserts the file, kept whole inside the definition, shown as an icon. Opening it edits a copy whose saved changes come back into the definition.</source>
        <translation>Вставляет файл целиком в определение в виде значка. Открывается копия; сохранённые в ней изменения возвращаются в определение.</translation>
    </message>
    <message>
        <source>Inserts the file, kept whole inside the definition and shown as its picture or icon. Opening it edits a copy whose saved changes come back into the definition.</source>
        <translation>Вставляет файл целиком в определение в виде его изображения или значка. Открывается копия; сохранённые в ней изменения возвращаются в определение.</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Обзор</translation>
    </message>
    <message>
        <source>Choose the type of the new object.</source>
        <translation>Выберите тип нового объекта.</translation>
    </message>
    <message>
        <source>Type the name of a file, or choose one with Browse.</source>
        <translation>Введите имя файла или выберите его кнопкой «Обзор».</translation>
    </message>
    <message>
        <source>The file “%1” does not exist.</source>
        <translation>Файл «%1» не существует.</translation>
    </message>
</context>
<context>
    <name>platform::TObjectPropertiesDialog</name>
    <message>
        <source>%s Properties</source>
        <translation>Свойства: %s</translation>
    </message>
    <message>
        <source>Type:</source>
        <translation>Тип:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>Размер:</translation>
    </message>
    <message>
        <source>Unknown</source>
        <translation>Неизвестно</translation>
    </message>
    <message>
        <source>Location:</source>
        <translation>Расположение:</translation>
    </message>
    <message>
        <source>&amp;Convert...</source>
        <translation>&amp;Преобразовать...</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Общие</translation>
    </message>
    <message>
        <source>Display as &amp;editable information</source>
        <translation>Показывать &amp;содержимое</translation>
    </message>
    <message>
        <source>Display as &amp;icon</source>
        <translation>Показывать &amp;значком</translation>
    </message>
    <message>
        <source>&amp;Scale:</source>
        <translation>&amp;Масштаб:</translation>
    </message>
    <message>
        <source>View</source>
        <translation>Вид</translation>
    </message>
    <message>
        <source>Link source:</source>
        <translation>Источник связи:</translation>
    </message>
    <message>
        <source>Last update:</source>
        <translation>Последнее обновление:</translation>
    </message>
    <message>
        <source>&amp;Automatically</source>
        <translation>&amp;Автоматически</translation>
    </message>
    <message>
        <source>&amp;Manually</source>
        <translation>&amp;Вручную</translation>
    </message>
    <message>
        <source>Update:</source>
        <translation>Обновление:</translation>
    </message>
    <message>
        <source>&amp;Open Source</source>
        <translation>&amp;Открыть источник</translation>
    </message>
    <message>
        <source>&amp;Update Now</source>
        <translation>Об&amp;новить сейчас</translation>
    </message>
    <message>
        <source>&amp;Change Source...</source>
        <translation>Сменить &amp;источник...</translation>
    </message>
    <message>
        <source>&amp;Break Link</source>
        <translation>&amp;Разорвать связь</translation>
    </message>
    <message>
        <source>Link</source>
        <translation>Связь</translation>
    </message>
    <message>
        <source>Change Source</source>
        <translation>Смена источника</translation>
    </message>
</context>
<context>
    <name>richtext::TqvSpellDialog</name>
    <message>
        <source>Spelling</source>
        <translation>Орфография</translation>
    </message>
    <message>
        <source>&amp;Not in dictionary:</source>
        <translation>&amp;Нет в словаре:</translation>
    </message>
    <message>
        <source>C&amp;hange to:</source>
        <translation>&amp;Заменить на:</translation>
    </message>
    <message>
        <source>Su&amp;ggestions:</source>
        <translation>&amp;Варианты:</translation>
    </message>
    <message>
        <source>&amp;Change</source>
        <translation>За&amp;менить</translation>
    </message>
    <message>
        <source>Change A&amp;ll</source>
        <translation>Заменить вс&amp;е</translation>
    </message>
    <message>
        <source>&amp;Ignore</source>
        <translation>&amp;Пропустить</translation>
    </message>
    <message>
        <source>Ignore &amp;All</source>
        <translation>П&amp;ропустить все</translation>
    </message>
    <message>
        <source>A&amp;dd to Dictionary</source>
        <translation>&amp;Добавить в словарь</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Отмена</translation>
    </message>
</context>
<context>
    <name>spell::TSpeller</name>
    <message>
        <source>No Russian dictionary is installed, so spelling is not checked.</source>
        <translation>Русский словарь не установлен, поэтому орфография не проверяется.</translation>
    </message>
    <message>
        <source>The spelling dictionary %1 was not found, so spelling is not checked.</source>
        <translation>Словарь %1 не найден, поэтому орфография не проверяется.</translation>
    </message>
    <message>
        <source>The spelling dictionary %1 is not in UTF-8, so spelling is not checked.</source>
        <translation>Словарь %1 записан не в UTF-8, поэтому орфография не проверяется.</translation>
    </message>
    <message>
        <source>The word could not be saved in %1: %2</source>
        <translation>Не удалось сохранить слово в %1: %2</translation>
    </message>
</context>
</TS>
