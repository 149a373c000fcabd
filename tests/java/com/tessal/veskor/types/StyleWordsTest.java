package com.tessal.veskor.types;

import static org.junit.jupiter.api.Assertions.assertEquals;

import java.util.ArrayList;
import java.util.List;
import java.util.logging.Handler;
import java.util.logging.LogRecord;
import java.util.logging.Logger;
import org.junit.jupiter.api.AfterEach;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.params.ParameterizedTest;
import org.junit.jupiter.params.provider.CsvSource;

/** Faces named by style words, without natives. */
class StyleWordsTest {
    private final Logger log = Logger.getLogger(FMCharacterStyle.class.getName());
    private final List<String> warnings = new ArrayList<>();
    private final Handler handler = new Handler() {
        @Override
        public void publish(LogRecord record) {
            warnings.add(record.getLevel() + " " + record.getMessage());
        }

        @Override
        public void flush() {
        }

        @Override
        public void close() {
        }
    };

    @BeforeEach
    void listen() {
        log.addHandler(handler);
    }

    @AfterEach
    void stopListening() {
        log.removeHandler(handler);
    }

    @ParameterizedTest
    @CsvSource(value = {
        "Bold+Italic|768|",
        "bold 4|260|",
        "Bold Underline|1280|",
        "''|0|",
        "+ BOLD ++ italic +|768|",
        "TitleCase+StrikeThrough+extend|16433|",
        "heavy|0|WARNING Invalid style: heavy",
        "bold+heavy+2|258|WARNING Invalid style: heavy",
        "-4+8|4|",
    }, delimiter = '|')
    void wordsAndNumbersAddUp(String faces, int face, String warning) {
        assertEquals(face, FMCharacterStyle.faceForWords(faces));
        assertEquals(warning == null ? List.of() : List.of(warning), warnings);
    }
}
